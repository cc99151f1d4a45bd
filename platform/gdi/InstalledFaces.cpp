// InstalledFaces.cpp: reading the installed faces through fontconfig and FreeType.
#include "InstalledFaces.h"

#include "CodePages.h"
#include "FontEngine.h"
#include "FreeTypeHandles.h"
#include "NameTable.h"
#include "platform/win/EqualNoCase.h"
#include "platform/win/FileDescriptor.h"

#include <fontconfig/fontconfig.h>
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <cstring>
#include <mutex>
#include <span>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gdi {

namespace {
std::string decodeName(const FT_SfntName& name) {
    return WindowsNameAs8Bit(std::span<const std::uint8_t>(name.string, name.string_len));
}

std::string sfntName(FT_Face face, FT_UShort nameId) {
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    std::string fallback;
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != nameId || name.platform_id != TT_PLATFORM_MICROSOFT)
            continue;
        if (name.language_id == TT_MS_LANGID_ENGLISH_UNITED_STATES) return decodeName(name);
        if (fallback.empty()) fallback = decodeName(name);
    }
    return fallback;
}

bool hasSymbolCmap(FT_Face face) {
    for (FT_Int i = 0; i < face->num_charmaps; ++i)
        if (face->charmaps[i]->platform_id == TT_PLATFORM_MICROSOFT && face->charmaps[i]->encoding_id == TT_MS_ID_SYMBOL_CS)
            return true;
    return false;
}

// tmPitchAndFamily: bit 0 variable pitch, 2 vector, 4 TrueType; the family from the PANOSE class.
std::uint8_t pitchAndFamilyOf(FT_Face face, const TT_OS2& os2) {
    const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    const bool fixed = post != nullptr && post->isFixedPitch != 0;
    std::uint8_t family = 0x00;  // FF_DONTCARE
    if (os2.panose[0] == 3) family = 0x40;        // FF_SCRIPT
    else if (os2.panose[0] == 4) family = 0x50;   // FF_DECORATIVE
    else if (os2.panose[3] == 9 || fixed) family = 0x30;  // FF_MODERN
    else if (os2.panose[1] >= 2 && os2.panose[1] <= 10) family = 0x10;  // FF_ROMAN
    else if (os2.panose[1] >= 11 && os2.panose[1] <= 15) family = 0x20;  // FF_SWISS
    return static_cast<std::uint8_t>(family | (fixed ? 0 : 1) | 2 | 4);
}

struct FcPatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FcObjectSetDeleter {
    void operator()(FcObjectSet* o) const { FcObjectSetDestroy(o); }
};
struct FcFontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
}  // namespace

std::vector<std::pair<std::string, int>> FontconfigFiles() {
    std::vector<std::pair<std::string, int>> files;
    static std::mutex fontconfigMutex;  // fontconfig's own initialisation is not thread-safe
    std::lock_guard lock(fontconfigMutex);
    if (!FcInit()) return files;
    const std::unique_ptr<FcPattern, FcPatternDeleter> pattern(FcPatternCreate());
    FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
    const std::unique_ptr<FcObjectSet, FcObjectSetDeleter> objects(FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FONTFORMAT, nullptr));
    const std::unique_ptr<FcFontSet, FcFontSetDeleter> set(FcFontList(nullptr, pattern.get(), objects.get()));
    for (int i = 0; set != nullptr && i < set->nfont; ++i) {
        FcChar8* file = nullptr;
        int index = 0;
        FcChar8* format = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
        FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index);
        if ((index >> 16) != 0) continue;  // a named instance of a variable font
        if (FcPatternGetString(set->fonts[i], FC_FONTFORMAT, 0, &format) == FcResultMatch &&
            std::strcmp(reinterpret_cast<const char*>(format), "TrueType") != 0 &&
            std::strcmp(reinterpret_cast<const char*>(format), "CFF") != 0)
            continue;
        files.emplace_back(reinterpret_cast<const char*>(file), index);
    }
    std::sort(files.begin(), files.end());
    return files;
}

namespace {
// A face's table directory lies in a file's first bytes (a collection's too, in practice); a
// file read otherwise is left to FreeType.
constexpr std::size_t kHeadBytes = 16 * 1024;
constexpr std::uint64_t kMaxNameTableBytes = 1 << 20;
}  // namespace

std::vector<std::pair<std::string, int>> FilesOfFamilies(const std::vector<std::pair<std::string, int>>& files,
                                                         const std::vector<std::string>& families) {
    std::vector<std::pair<std::string, int>> kept;
    std::vector<std::uint8_t> head(kHeadBytes), table;
    for (const auto& [file, index] : files) {
        // Two reads: the file's first bytes, which hold its table directories, then its names.
        std::optional<std::string> family;
        const win::FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (fd.valid() && ::fstat(fd.get(), &st) == 0 && st.st_size > 0) {
            const auto size = static_cast<std::uint64_t>(st.st_size);
            const ssize_t got = ::pread(fd.get(), head.data(), head.size(), 0);
            const auto range = got > 0 ? NameTableRange(std::span(head.data(), std::size_t(got)), size, index)
                                       : std::nullopt;
            if (range && range->length <= kMaxNameTableBytes) {
                table.resize(std::size_t(range->length));
                if (::pread(fd.get(), table.data(), table.size(), off_t(range->offset)) == ssize_t(table.size()))
                    family = FamilyInNameTable(table);
            }
        }
        if (!family || std::any_of(families.begin(), families.end(),
                                   [&](const std::string& f) { return win::EqualNoCase(*family, f); }))
            kept.emplace_back(file, index);
    }
    return kept;
}

std::vector<InstalledFace> ScanFaces(const std::vector<std::pair<std::string, int>>& files) {
    std::vector<InstalledFace> faces;
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw) != 0) return faces;
    LibraryPtr library(raw);
    for (const auto& [file, index] : files) {
        FT_Face rawFace = nullptr;
        if (FT_New_Face(library.get(), file.c_str(), index, &rawFace) != 0) continue;
        FacePtr face(rawFace);
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
        if (os2 == nullptr || os2->version == 0xFFFF || FT_Get_Sfnt_Table(face.get(), FT_SFNT_HHEA) == nullptr ||
            FT_Get_Sfnt_Table(face.get(), FT_SFNT_HEAD) == nullptr)
            continue;
        InstalledFace f;
        f.file = file;
        f.index = index;
        f.family = sfntName(face.get(), TT_NAME_ID_FONT_FAMILY);
        if (f.family.empty() && face->family_name) f.family = face->family_name;
        if (f.family.empty() || f.family[0] == '.') continue;
        if (f.family.size() > LF_FACESIZE - 1) f.family.resize(LF_FACESIZE - 1);
        f.fullName = sfntName(face.get(), TT_NAME_ID_FULL_NAME);
        f.style = sfntName(face.get(), TT_NAME_ID_FONT_SUBFAMILY);
        f.bold = (os2->fsSelection & 0x20) != 0;
        f.italic = (os2->fsSelection & 0x01) != 0;
        FT_ULong length = 0;
        f.trueType = FT_Load_Sfnt_Table(face.get(), TTAG_glyf, 0, nullptr, &length) == 0;
        f.symbol = hasSymbolCmap(face.get()) || (os2->usFirstCharIndex >= 0xF000 && os2->usFirstCharIndex <= 0xF0FF);
        f.codePageRange1 = os2->version >= 1 ? static_cast<std::uint32_t>(os2->ulCodePageRange1) : 0;
        if (f.codePageRange1 == 0) f.codePageRange1 = f.symbol ? 0x80000000u : 0x1u;
        f.tmPitchAndFamily = pitchAndFamilyOf(face.get(), *os2);
        faces.push_back(std::move(f));
    }
    return faces;
}

bool HasCodePageBit(std::uint32_t codePageRange1, int bit) { return bit >= 0 && (codePageRange1 >> bit & 1) != 0; }

bool Supports(const InstalledFace& face, std::uint8_t charSet) {
    const auto info = CharsetFor(charSet);
    return info && HasCodePageBit(face.codePageRange1, info->codePageBit);
}

std::uint8_t RealisedCharset(const InstalledFace& face, std::uint8_t requested) {
    if (requested != DEFAULT_CHARSET) return requested;
    if (face.symbol && !Supports(face, ANSI_CHARSET)) return SYMBOL_CHARSET;
    for (const auto& c : KnownCharsets())
        if (HasCodePageBit(face.codePageRange1, c.codePageBit)) return c.charSet;
    return ANSI_CHARSET;
}

}  // namespace gdi
