// SampleFonts.cpp: small, valid font records for tests.
#include "SampleFonts.h"

CFontRecord tinyFont(bool twoDensities, const std::string& name, const std::string& style,
                     std::uint16_t pointSize) {
    CFontRecord f;
    f.font.fontType = twoDensities ? CFontRecord::kTwoDensityType : CFontRecord::kSingleDensityType;
    f.font.firstChar = 'A';
    f.font.lastChar = 'A';
    f.font.maxWidth = 2;
    f.font.fRectWidth = 2;
    f.font.fRectHeight = 2;
    f.font.ascent = 2;
    f.font.rowWords = 1;
    f.locationTable = {0, 2, 3};
    f.offsetWidth = {0, 2, 0, 1};
    f.strike1 = {0x80, 0x00, 0x40, 0x00};
    f.header.pointSize = pointSize;
    f.name = name;
    f.style = style;
    if (twoDensities) {
        f.header.flags = CFontRecord::kFlagsTwoDensity;
        f.font.version = 1;
        f.font.densityCount = 2;
        f.strike2 = std::vector<std::uint8_t>(16, 0);
        f.strike2[0] = 0xC0;
    }
    f.SetLayoutFields();
    return f;
}
