// FreeTypeFontEngine.cpp: GDI's font calls over FreeType and fontconfig: choosing the installed
// face for a font description, and enumerating the families with their character sets.
#include "FreeTypeFontEngine.h"

#include "CodePages.h"
#include "FacePool.h"
#include "FreeTypeFont.h"
#include "InstalledFaces.h"
#include "platform/win/EqualNoCase.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace gdi {

FreeTypeFontEngine::FreeTypeFontEngine() : FreeTypeFontEngine(Options{}) {}

FreeTypeFontEngine::FreeTypeFontEngine(Options options)
    : options_(std::move(options)), pool_(std::make_shared<FacePool>(options_.interpreterVersion)) {
    std::vector<std::pair<std::string, int>> files;
    if (options_.fontFiles.empty()) {
        files = FontconfigFiles();
    } else {
        for (const auto& file : options_.fontFiles) files.emplace_back(file, 0);
    }
    if (!options_.families.empty()) files = FilesOfFamilies(files, options_.families);
    faces_ = ScanFaces(files);
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
            if (Supports(*f, lf.lfCharSet)) withCharset.push_back(f);
        if (!withCharset.empty()) family = withCharset;
    }
    const bool wantBold = lf.lfWeight > kBoldWeightAbove, wantItalic = lf.lfItalic != 0;
    // Fewest differences wins; ties go Regular, Bold, Italic, Bold Italic.
    const auto rank = [&](const InstalledFace* f) {
        const int score = (f->italic != wantItalic) + (f->bold != wantBold);
        return score * 4 + (f->italic ? 2 : 0) + (f->bold ? 1 : 0);
    };
    const InstalledFace* best = *std::min_element(family.begin(), family.end(),
                                                  [&](auto* a, auto* b) { return rank(a) < rank(b); });

    auto opened = pool_->Borrow(*best);
    if (!opened) return nullptr;
    return MakeFreeTypeFont(pool_, std::move(*opened), *best, lf);
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
        const bool known = std::any_of(KnownCharsets().begin(), KnownCharsets().end(),
                                       [&](const CharsetInfo& c) { return HasCodePageBit(f.codePageRange1, c.codePageBit); });
        for (const bool vertical : {false, true}) {
            if (vertical && (f.codePageRange1 & 0x003E0000u) == 0) break;  // bits 17 to 21: East Asian
            const std::string name = vertical ? "@" + f.family : f.family;
            if (!known) {
                emit(name, DEFAULT_CHARSET, "Other");
                continue;
            }
            for (const auto& c : KnownCharsets())
                if (HasCodePageBit(f.codePageRange1, c.codePageBit)) emit(name, c.charSet, c.script);
        }
    }
    return out;
}

}  // namespace gdi
