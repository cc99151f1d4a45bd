// FreeTypeFontEngine.cpp: GDI's font calls over FreeType and fontconfig.
#include "FreeTypeFontEngine.h"

#include "CodePages.h"
#include "platform/win/EqualNoCase.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_MODULE_H
#include FT_DRIVER_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H
#include FT_BITMAP_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

namespace gdi {

// One installed face, as the engine read it when it was made.
struct InstalledFace {
    std::string file;
    int index = 0;
    std::string family;    // name ID 1, as GDI shows it
    std::string fullName;  // name ID 4
    std::string style;     // name ID 2
    bool bold = false;
    bool italic = false;
    bool trueType = false;  // glyf outlines
    bool symbol = false;    // a (3,0) symbol cmap
    std::uint32_t codePageRange1 = 0;
    std::uint8_t tmPitchAndFamily = 0;
};

namespace {
constexpr FT_Fixed kItalicShear = 0x5700;  // x' = x + 0.34 y, about 18.8 degrees

struct LibraryDeleter {
    void operator()(FT_Library l) const { FT_Done_FreeType(l); }
};
struct FaceDeleter {
    void operator()(FT_Face f) const { FT_Done_Face(f); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;

// A Windows-platform name (UTF-16BE) as 8-bit text: Latin-1 where it fits, '?' elsewhere.
std::string decodeName(const FT_SfntName& name) {
    std::string out;
    for (FT_UInt i = 0; i + 1 < name.string_len; i += 2) {
        const unsigned c = unsigned(name.string[i]) << 8 | name.string[i + 1];
        out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    }
    return out;
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

std::vector<std::pair<std::string, int>> fontconfigFiles() {
    std::vector<std::pair<std::string, int>> files;
    static std::mutex fontconfigMutex;  // fontconfig's own initialisation is not thread-safe
    std::lock_guard lock(fontconfigMutex);
    if (!FcInit()) return files;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FONTFORMAT, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
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
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<InstalledFace> scanFaces(const std::vector<std::pair<std::string, int>>& files) {
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

bool supports(const InstalledFace& face, std::uint8_t charSet) {
    const auto info = CharsetFor(charSet);
    return info && info->codePageBit >= 0 && (face.codePageRange1 >> info->codePageBit & 1) != 0;
}

// The realised character set of a face for a request: the request itself, or for DEFAULT the
// ANSI one when the face has it, else its first supported set.
std::uint8_t realisedCharset(const InstalledFace& face, std::uint8_t requested) {
    if (requested != DEFAULT_CHARSET) return requested;
    if (face.symbol && !supports(face, ANSI_CHARSET)) return SYMBOL_CHARSET;
    for (const auto& c : KnownCharsets())
        if (c.codePageBit >= 0 && (face.codePageRange1 >> c.codePageBit & 1) != 0) return c.charSet;
    return ANSI_CHARSET;
}

// A glyph as the font draws it: a one-bit bitmap (most significant bit first) placed relative to
// the pen position, and its GDI widths.
struct RenderedGlyph {
    bool drawable = false;
    ABC abc;
    std::int32_t advance = 0;
    int left = 0;   // columns from the pen position to the bitmap's first column
    int top = 0;    // rows from the baseline up to the bitmap's first row
    int width = 0;
    int rows = 0;
    int pitch = 0;
    std::vector<std::uint8_t> bits;
};

}  // namespace

// Opened faces waiting for their next font: opening a face parses its tables and runs its font
// program, far more work than a font's metrics. A face serves one font at a time, with a library
// of its own, so fonts on different threads never share FreeType state.
struct OpenFace {
    LibraryPtr library;
    FacePtr face;
};

class FacePool {
public:
    explicit FacePool(unsigned interpreterVersion) : interpreterVersion_(interpreterVersion) {}

    std::optional<OpenFace> Borrow(const InstalledFace& info) {
        {
            std::lock_guard lock(mutex_);
            auto& idle = idle_[key(info)];
            if (!idle.empty()) {
                OpenFace face = std::move(idle.back());
                idle.pop_back();
                return face;
            }
        }
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0) return std::nullopt;
        OpenFace opened{LibraryPtr(library), nullptr};
        if (interpreterVersion_ != 0) {
            FT_UInt version = interpreterVersion_;
            FT_Property_Set(library, "truetype", "interpreter-version", &version);
        }
        FT_Face face = nullptr;
        if (FT_New_Face(library, info.file.c_str(), info.index, &face) != 0) return std::nullopt;
        opened.face.reset(face);
        return opened;
    }

    void Return(const InstalledFace& info, OpenFace face) {
        std::lock_guard lock(mutex_);
        auto& idle = idle_[key(info)];
        if (idle.size() < kMaxIdlePerFace) idle.push_back(std::move(face));
    }

private:
    static constexpr std::size_t kMaxIdlePerFace = 4;
    static std::string key(const InstalledFace& info) { return info.file + '\n' + std::to_string(info.index); }

    unsigned interpreterVersion_;
    std::mutex mutex_;
    std::map<std::string, std::vector<OpenFace>> idle_;
};

namespace {

class FreeTypeFont final : public Font {
public:
    FreeTypeFont(std::shared_ptr<FacePool> pool, OpenFace opened, const InstalledFace& info, const LOGFONT& lf)
        : pool_(std::move(pool)), library_(std::move(opened.library)), face_(std::move(opened.face)), info_(info) {
        realisedCharset_ = realisedCharset(info, lf.lfCharSet);
        const auto charset = CharsetFor(realisedCharset_);
        codePage_ = charset ? charset->codePage : 1252;
        symbol_ = info.symbol && (realisedCharset_ == SYMBOL_CHARSET || !supports(info, realisedCharset_));
        syntheticBold_ = lf.lfWeight > 550 && !info.bold;
        syntheticItalic_ = lf.lfItalic != 0 && !info.italic;
        if (symbol_) FT_Select_Charmap(face_.get(), FT_ENCODING_MS_SYMBOL);
        else if (FT_Select_Charmap(face_.get(), FT_ENCODING_UNICODE) != 0) FT_Select_Charmap(face_.get(), FT_ENCODING_MS_SYMBOL);
        computeMetrics(lf);
        FT_Set_Pixel_Sizes(face_.get(), 0, static_cast<FT_UInt>(ppem_));
    }

    ~FreeTypeFont() override { pool_->Return(info_, OpenFace{std::move(library_), std::move(face_)}); }

    bool valid() const { return ppem_ > 0; }

    TEXTMETRIC GetTextMetrics() const override { return tm_; }

    bool GetCharWidth32(std::uint8_t ch, std::int32_t& width) override {
        const RenderedGlyph& g = glyph(ch);
        width = g.advance;
        return true;
    }
    bool GetTextExtentPoint32(std::uint8_t ch, SIZE& size) override {
        size = {glyph(ch).advance, tm_.tmHeight};
        return true;
    }
    bool GetCharABCWidths(std::uint8_t ch, ABC& abc) override {
        abc = glyph(ch).abc;
        return true;
    }
    bool TextOut(Bitmap& bitmap, int x, int y, std::uint8_t ch) override {
        const RenderedGlyph& g = glyph(ch);
        if (!g.drawable) return false;
        bitmap.DrawMask(x + g.left, y - g.top, g.bits.data(), g.width, g.rows, g.pitch, RGB(0, 0, 0));
        return true;
    }

private:
    void computeMetrics(const LOGFONT& lf) {
        FT_Face f = face_.get();
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(f, FT_SFNT_HHEA));
        const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(f, FT_SFNT_HEAD));
        if (!os2 || !hhea || !head || head->Units_Per_EM == 0) return;
        const FT_Long upem = head->Units_Per_EM;
        const FT_Long winAscent = os2->usWinAscent;
        const FT_Long winDescent = std::abs(static_cast<FT_Short>(os2->usWinDescent));
        FT_Long units = winAscent + winDescent;
        if (units == 0) units = hhea->Ascender - hhea->Descender;
        FT_Long ppem;
        const FT_Long height = lf.lfHeight == 0 ? 16 : lf.lfHeight;
        if (height < 0) {
            ppem = -height;
        } else {
            ppem = FT_MulDiv(upem, height, units);
            if (ppem > 1 && FT_MulDiv(units, ppem, upem) > height) --ppem;
        }
        if (ppem <= 0 || ppem > 0x7FFF) return;
        const FT_Fixed em = FT_MulDiv(ppem, 0x10000, upem);
        const auto S = [em](FT_Long v) { return static_cast<std::int32_t>(FT_MulFix(v, em)); };
        tm_.tmAscent = S(winAscent);
        tm_.tmDescent = S(winDescent);
        tm_.tmHeight = tm_.tmAscent + tm_.tmDescent;
        tm_.tmInternalLeading = S(winAscent + winDescent - upem);
        tm_.tmExternalLeading =
            std::max<std::int32_t>(0, S(hhea->Line_Gap - ((winAscent + winDescent) - (hhea->Ascender - hhea->Descender))));
        tm_.tmAveCharWidth = std::max<std::int32_t>(1, S(os2->xAvgCharWidth)) + (syntheticBold_ ? 1 : 0);
        tm_.tmMaxCharWidth = S(head->xMax - head->xMin) + (syntheticBold_ ? 1 : 0);
        tm_.tmWeight = syntheticBold_ ? FW_BOLD : os2->usWeightClass;
        tm_.tmItalic = (info_.italic || syntheticItalic_) ? 255 : 0;
        tm_.tmCharSet = realisedCharset_;
        tm_.tmPitchAndFamily = info_.tmPitchAndFamily;
        characterRange(*os2);
        ppem_ = static_cast<int>(ppem);
    }

    void characterRange(const TT_OS2& os2) {
        if (symbol_) {
            tm_.tmBreakChar = 0x20;
            tm_.tmDefaultChar = 0x1F;
            tm_.tmFirstChar = 0x1E;
            const int last = int(os2.usLastCharIndex) - int(os2.usFirstCharIndex) + 0x20;
            tm_.tmLastChar = static_cast<std::uint8_t>(std::clamp(last, 0x1E, 0xFF));
            return;
        }
        const unsigned first = os2.usFirstCharIndex;
        const unsigned breakChar = first <= 1 ? first + 2 : (first > 0xFF ? 0x20 : first);
        const unsigned defaultChar = breakChar - 1;
        FT_UInt gid = 0;
        FT_ULong lastCode = FT_Get_First_Char(face_.get(), &gid);
        for (FT_ULong code = lastCode; gid != 0; code = FT_Get_Next_Char(face_.get(), code, &gid)) lastCode = code;
        const unsigned last = static_cast<unsigned>(std::min<FT_ULong>({lastCode, os2.usLastCharIndex, 0xFF}));
        tm_.tmBreakChar = static_cast<std::uint8_t>(breakChar);
        tm_.tmDefaultChar = static_cast<std::uint8_t>(defaultChar);
        tm_.tmFirstChar = static_cast<std::uint8_t>(defaultChar - 1);
        tm_.tmLastChar = static_cast<std::uint8_t>(std::max(last, unsigned(tm_.tmFirstChar)));
    }

    // The glyph a byte stands for: 0 (.notdef) for the default character and for bytes whose
    // character the font lacks; only the default character draws .notdef.
    FT_UInt glyphIndex(std::uint8_t ch, bool& drawable) const {
        drawable = true;
        FT_UInt gid = 0;
        if (symbol_) {
            gid = FT_Get_Char_Index(face_.get(), 0xF000u + ch);
            if (gid == 0) gid = FT_Get_Char_Index(face_.get(), ch);
        } else {
            const std::uint32_t unicode = ByteToUnicode(codePage_)[ch];
            if (unicode != kNoCharacter) gid = FT_Get_Char_Index(face_.get(), unicode);
        }
        if (gid == 0 && ch != tm_.tmDefaultChar) drawable = false;
        return gid;
    }

    const RenderedGlyph& glyph(std::uint8_t ch) {
        if (cachedFor_ == ch) return cached_;
        cachedFor_ = ch;
        cached_ = RenderedGlyph();
        bool drawable = false;
        const FT_UInt gid = glyphIndex(ch, drawable);
        render(gid, cached_);
        cached_.drawable = cached_.drawable && drawable;
        return cached_;
    }

    void render(FT_UInt gid, RenderedGlyph& g) {
        FT_Face f = face_.get();
        const bool synthetic = syntheticBold_ || syntheticItalic_;
        FT_Int32 flags = FT_LOAD_TARGET_MONO | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;
        if (synthetic) flags |= FT_LOAD_NO_BITMAP;
        if (FT_Load_Glyph(f, gid, flags) != 0 && FT_Load_Glyph(f, gid, flags | FT_LOAD_NO_HINTING) != 0) return;
        FT_GlyphSlot slot = f->glyph;
        g.advance = static_cast<std::int32_t>((slot->metrics.horiAdvance + 63) >> 6) + (syntheticBold_ ? 1 : 0);
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            FT_Outline& outline = slot->outline;
            if (syntheticBold_) FT_Outline_Embolden(&outline, FT_MulDiv(ppem_, 64, 24));
            if (syntheticItalic_) {
                FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
                FT_Outline_Transform(&outline, &shear);
            }
            FT_BBox box;
            FT_Outline_Get_CBox(&outline, &box);
            const FT_Pos xMin = box.xMin >> 6, yMin = box.yMin >> 6;
            const FT_Pos xMax = (box.xMax + 63) >> 6, yMax = (box.yMax + 63) >> 6;
            g.left = static_cast<int>(xMin);
            g.top = static_cast<int>(yMax);
            g.width = outline.n_points > 0 ? static_cast<int>(xMax - xMin) : 0;
            g.rows = outline.n_points > 0 ? static_cast<int>(yMax - yMin) : 0;
            g.pitch = (g.width + 7) / 8;
            g.bits.assign(std::size_t(g.pitch) * std::size_t(g.rows), 0);
            if (g.width > 0 && g.rows > 0) {
                FT_Outline_Translate(&outline, -xMin * 64, -yMin * 64);
                FT_Bitmap target;
                FT_Bitmap_Init(&target);
                target.rows = static_cast<unsigned>(g.rows);
                target.width = static_cast<unsigned>(g.width);
                target.pitch = g.pitch;
                target.buffer = g.bits.data();
                target.num_grays = 2;
                target.pixel_mode = FT_PIXEL_MODE_MONO;
                if (FT_Outline_Get_Bitmap(library_.get(), &outline, &target) != 0) return;
            }
        } else if (slot->format == FT_GLYPH_FORMAT_BITMAP && slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            const FT_Bitmap& b = slot->bitmap;
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.width = static_cast<int>(b.width);
            g.rows = static_cast<int>(b.rows);
            g.pitch = (g.width + 7) / 8;
            g.bits.assign(std::size_t(g.pitch) * std::size_t(g.rows), 0);
            for (int r = 0; r < g.rows; ++r)
                std::memcpy(&g.bits[std::size_t(r) * std::size_t(g.pitch)], b.buffer + std::ptrdiff_t(r) * b.pitch,
                            std::size_t(g.pitch));
        } else {
            return;
        }
        // An empty black box (a space) reports B = 0, so that it keeps its whole advance.
        g.abc.abcA = g.width > 0 ? g.left : 0;
        g.abc.abcB = static_cast<std::uint32_t>(g.width);
        g.abc.abcC = g.advance - g.abc.abcA - g.width;
        g.drawable = true;
    }

    std::shared_ptr<FacePool> pool_;
    LibraryPtr library_;
    FacePtr face_;
    InstalledFace info_;
    std::uint8_t realisedCharset_ = 0;
    std::uint32_t codePage_ = 1252;
    bool symbol_ = false;
    bool syntheticBold_ = false;
    bool syntheticItalic_ = false;
    int ppem_ = 0;
    TEXTMETRIC tm_;
    int cachedFor_ = -1;
    RenderedGlyph cached_;
};
}  // namespace

FreeTypeFontEngine::FreeTypeFontEngine() : FreeTypeFontEngine(Options{}) {}

FreeTypeFontEngine::FreeTypeFontEngine(Options options)
    : options_(std::move(options)), pool_(std::make_shared<FacePool>(options_.interpreterVersion)) {
    std::vector<std::pair<std::string, int>> files;
    if (options_.fontFiles.empty()) {
        files = fontconfigFiles();
    } else {
        for (const auto& file : options_.fontFiles) files.emplace_back(file, 0);
    }
    faces_ = scanFaces(files);
}

FreeTypeFontEngine::~FreeTypeFontEngine() = default;

std::unique_ptr<Font> FreeTypeFontEngine::CreateFontIndirect(const LOGFONT& lf) {
    const std::string wanted(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    std::vector<const InstalledFace*> family;
    for (const auto& f : faces_)
        if (win::EqualNoCase(f.family, wanted)) family.push_back(&f);
    if (family.empty())
        for (const auto& f : faces_)
            if (win::EqualNoCase(f.fullName, wanted)) family.push_back(&f);
    if (family.empty()) return nullptr;
    if (lf.lfCharSet != DEFAULT_CHARSET) {
        std::vector<const InstalledFace*> withCharset;
        for (const auto* f : family)
            if (supports(*f, lf.lfCharSet)) withCharset.push_back(f);
        if (!withCharset.empty()) family = withCharset;
    }
    const bool wantBold = lf.lfWeight > 550, wantItalic = lf.lfItalic != 0;
    // Fewest differences wins; ties go Regular, Bold, Italic, Bold Italic.
    const auto rank = [&](const InstalledFace* f) {
        const int score = (f->italic != wantItalic) + (f->bold != wantBold);
        return score * 4 + (f->italic ? 2 : 0) + (f->bold ? 1 : 0);
    };
    const InstalledFace* best = *std::min_element(family.begin(), family.end(),
                                                  [&](auto* a, auto* b) { return rank(a) < rank(b); });

    auto opened = pool_->Borrow(*best);
    if (!opened) return nullptr;
    auto font = std::make_unique<FreeTypeFont>(pool_, std::move(*opened), *best, lf);
    if (!font->valid()) return nullptr;
    return font;
}

std::vector<EnumeratedFont> FreeTypeFontEngine::EnumFontFamiliesEx() {
    std::vector<EnumeratedFont> out;
    std::map<std::string, const InstalledFace*> firstFaceOf;  // by family, case-insensitively
    std::vector<std::string> order;
    for (const auto& f : faces_) {
        std::string key = f.family;
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
        auto [it, added] = firstFaceOf.emplace(key, &f);
        if (added) order.push_back(key);
        // The regular face speaks for its family.
        else if (!f.bold && !f.italic && (it->second->bold || it->second->italic)) it->second = &f;
    }
    for (const auto& key : order) {
        const InstalledFace& f = *firstFaceOf[key];
        const auto emit = [&](const std::string& name, std::uint8_t charSet, const char* script) {
            EnumeratedFont e;
            e.logFont = makeLogFont(name, 0, f.bold ? FW_BOLD : FW_NORMAL, f.italic, charSet,
                                    static_cast<std::uint8_t>((f.tmPitchAndFamily & 0xF1) + 1));
            e.fullName = f.fullName;
            e.style = f.style;
            e.script = script;
            e.fontType = f.trueType ? TRUETYPE_FONTTYPE : 2;
            out.push_back(std::move(e));
        };
        bool known = false;
        for (const auto& c : KnownCharsets())
            if (c.codePageBit >= 0 && (f.codePageRange1 >> c.codePageBit & 1) != 0) known = true;
        for (const bool vertical : {false, true}) {
            if (vertical && (f.codePageRange1 & 0x003E0000u) == 0) break;  // bits 17 to 21: East Asian
            const std::string name = vertical ? "@" + f.family : f.family;
            if (!known) {
                emit(name, DEFAULT_CHARSET, "Other");
                continue;
            }
            for (const auto& c : KnownCharsets())
                if (c.codePageBit >= 0 && (f.codePageRange1 >> c.codePageBit & 1) != 0) emit(name, c.charSet, c.script);
        }
    }
    return out;
}

}  // namespace gdi
