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

}  // namespace gdi
