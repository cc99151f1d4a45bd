// FontEngine.h: the font engine as GDI offers it to the converter: fonts made from a LOGFONT,
// their text metrics and character widths, drawing one byte onto a white memory bitmap, and the
// enumeration of installed font families. Nothing here names FreeType; the real engine
// (FreeTypeFontEngine.h) and the test engines both implement it.
#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gdi {

inline constexpr int LF_FACESIZE = 32;

inline constexpr std::uint8_t ANSI_CHARSET = 0;
inline constexpr std::uint8_t DEFAULT_CHARSET = 1;
inline constexpr std::uint8_t SYMBOL_CHARSET = 2;
inline constexpr std::uint8_t MAC_CHARSET = 77;
inline constexpr std::uint8_t OEM_CHARSET = 255;
inline constexpr std::uint8_t OUT_TT_PRECIS = 4;
inline constexpr std::int32_t FW_NORMAL = 400;
inline constexpr std::int32_t FW_BOLD = 700;
inline constexpr std::uint32_t TRUETYPE_FONTTYPE = 4;
inline constexpr std::uint32_t TA_BASELINE_LEFT = 24;  // TA_BASELINE | TA_LEFT

struct LOGFONT {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};

struct TEXTMETRIC {
    std::int32_t tmHeight = 0;
    std::int32_t tmAscent = 0;
    std::int32_t tmDescent = 0;
    std::int32_t tmInternalLeading = 0;
    std::int32_t tmExternalLeading = 0;
    std::int32_t tmAveCharWidth = 0;
    std::int32_t tmMaxCharWidth = 0;
    std::int32_t tmWeight = 0;
    std::int32_t tmOverhang = 0;
    std::int32_t tmDigitizedAspectX = 96;
    std::int32_t tmDigitizedAspectY = 96;
    std::uint8_t tmFirstChar = 0;
    std::uint8_t tmLastChar = 0;
    std::uint8_t tmDefaultChar = 0;
    std::uint8_t tmBreakChar = 0;
    std::uint8_t tmItalic = 0;
    std::uint8_t tmUnderlined = 0;
    std::uint8_t tmStruckOut = 0;
    std::uint8_t tmPitchAndFamily = 0;
    std::uint8_t tmCharSet = 0;
};

struct ABC {
    std::int32_t abcA = 0;
    std::uint32_t abcB = 0;
    std::int32_t abcC = 0;
};

struct SIZE {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

// One entry of EnumFontFamiliesEx with DEFAULT_CHARSET: a family in one of its character sets.
struct EnumeratedFont {
    LOGFONT logFont;         // face name, character set, pitch and family; height and weight 0
    std::string fullName;
    std::string style;
    std::string script;      // "Western", "Cyrillic", ...
    std::uint32_t fontType = 0;  // TRUETYPE_FONTTYPE for TrueType outlines
};

// A character's ink as TextOut draws it: a one-bit mask (rows of pitch bytes, most significant
// bit first) whose top-left pixel lies left columns right of the pen and top rows above the
// baseline.
struct GlyphMask {
    const std::uint8_t* bits = nullptr;
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    int pitch = 0;
};

// A realised font (HFONT). Queries take the character as a byte 0 to 255.
class Font {
public:
    virtual ~Font() = default;
    virtual TEXTMETRIC GetTextMetrics() const = 0;
    virtual bool GetCharWidth32(std::uint8_t ch, std::int32_t& width) = 0;
    virtual bool GetTextExtentPoint32(std::uint8_t ch, SIZE& size) = 0;
    virtual bool GetCharABCWidths(std::uint8_t ch, ABC& abc) = 0;
    // Draws ch in black with its baseline at (x, y) (alignment TA_BASELINE | TA_LEFT) onto the
    // bitmap, clipped to it. False when the character cannot be drawn.
    virtual bool TextOut(Bitmap& bitmap, int x, int y, std::uint8_t ch) = 0;

    // How a screen's text layout sets a line of these bytes: its width, the characters' advances
    // unscaled by hinting, added up and rounded once. Lists that show many faces measure with it
    // because it reads no glyph program. By default the sum of GetCharWidth32.
    virtual std::int32_t GetLineWidth(std::string_view bytes);
    // How a screen's text layout sets a line in this font, unhinted: the line's height from the
    // ascender and descender of the horizontal header (as such layouts take them, where GDI's
    // cell takes the Windows ones), and the rows 'x' rises above the baseline, rounded (0 when
    // the font has no 'x'). By default the cell's height and the ink TextOut draws.
    struct ScreenLine {
        int height = 0;
        int xHeight = 0;
    };
    virtual ScreenLine GetScreenLine();

    // Whether GetGlyphMask gives what TextOut draws, so that a caller can read a character's ink
    // without drawing it. Fonts that only draw answer false.
    virtual bool HasGlyphMasks() const { return false; }
    // The mask TextOut draws for ch, valid until the font is asked about another character.
    // False when ch cannot be drawn (or the font has no masks).
    virtual bool GetGlyphMask(std::uint8_t ch, GlyphMask& mask) {
        (void)ch;
        mask = GlyphMask();
        return false;
    }
};

class FontEngine {
public:
    virtual ~FontEngine() = default;
    // CreateFontIndirect: none when no installed face matches the description.
    virtual std::unique_ptr<Font> CreateFontIndirect(const LOGFONT& description) = 0;
    // EnumFontFamiliesEx over every installed family with DEFAULT_CHARSET.
    virtual std::vector<EnumeratedFont> EnumFontFamiliesEx() = 0;
};

// A LOGFONT of the given face (cut to 31 characters) and fields.
LOGFONT makeLogFont(const std::string& face, std::int32_t height, std::int32_t weight, bool italic,
                    std::uint8_t charSet, std::uint8_t pitchAndFamily = 0);

}  // namespace gdi
