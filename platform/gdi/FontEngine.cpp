// FontEngine.cpp: the font engine as GDI offers it to the converter: fonts made from a LOGFONT,
// their text metrics and character widths, drawing one byte onto a white memory bitmap, and the
// enumeration of installed font families.
#include "FontEngine.h"

#include <algorithm>
#include <cstring>

namespace gdi {

LOGFONT makeLogFont(const std::string& face, std::int32_t height, std::int32_t weight, bool italic,
                    std::uint8_t charSet, std::uint8_t pitchAndFamily) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfPitchAndFamily = pitchAndFamily;
    std::memcpy(lf.lfFaceName, face.data(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    return lf;
}

std::int32_t Font::GetLineWidth(std::string_view bytes) {
    std::int32_t total = 0;
    for (const char c : bytes) {
        std::int32_t width = 0;
        if (GetCharWidth32(static_cast<std::uint8_t>(c), width)) total += width;
    }
    return total;
}

Font::ScreenLine Font::GetScreenLine() {
    const TEXTMETRIC metrics = GetTextMetrics();
    ScreenLine line{metrics.tmHeight, 0};
    // Room for the character's overhang on either side of its pen position.
    const int left = std::max(0, metrics.tmMaxCharWidth);
    const auto bitmap = Bitmap::Create(std::max(1, 3 * left), std::max(1, metrics.tmHeight));
    if (!bitmap || !TextOut(*bitmap, left, metrics.tmAscent, 'x')) return line;
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            if (bitmap->GetPixel(x, y) != RGB(255, 255, 255)) {
                line.xHeight = std::max(0, metrics.tmAscent - y);
                return line;
            }
    return line;
}

}  // namespace gdi
