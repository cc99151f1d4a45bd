// FreeTypeFontEngine.h: the font engine over FreeType (hinted black-and-white rendering) and
// fontconfig (the installed fonts), behaving as GDI does for TrueType fonts: text metrics from the
// OS/2, hhea and head tables, character widths from the hinted glyphs, the Windows character range
// of a font, bytes mapped through the code page of the font's character set, and synthetic bold
// and italic where a family lacks the face.
//
// Fonts are independent of one another (each holds its own FreeType library and face), so fonts
// made by one engine may be used on different threads at once; the engine itself only reads the
// list of installed faces it made at construction.
#pragma once

#include "FontEngine.h"

#include <memory>
#include <string>
#include <vector>

namespace gdi {

struct InstalledFace;
class FacePool;

class FreeTypeFontEngine final : public FontEngine {
public:
    struct Options {
        // TrueType interpreter version (35, 38 or 40); 0 keeps FreeType's default.
        unsigned interpreterVersion = 0;
        // Font files to use instead of the installed fonts (tests); empty: ask fontconfig.
        std::vector<std::string> fontFiles;
        // Only the faces of these families (a command converting named fonts need not read the
        // thousands of others a desktop may have); empty: every face.
        std::vector<std::string> families;
    };

    FreeTypeFontEngine();
    explicit FreeTypeFontEngine(Options options);
    ~FreeTypeFontEngine() override;

    std::unique_ptr<Font> CreateFontIndirect(const LOGFONT& description) override;
    std::vector<EnumeratedFont> EnumFontFamiliesEx() override;

private:
    Options options_;
    std::vector<InstalledFace> faces_;
    std::shared_ptr<FacePool> pool_;  // shared with the fonts, which return their faces to it
};

}  // namespace gdi
