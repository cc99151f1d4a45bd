// Tests of the font preview's picture sizes: a record no handheld could hold draws nothing, a
// line of text is as tall as its strike at the zoom, and a long name does not widen the preview.
#include "app/FontPreview.h"

#include "core/FontRecord.h"
#include "support/SampleFonts.h"

#include <gtest/gtest.h>

TEST(FontPreview, DrawsNothingForARecordNoHandheldCouldHold) {
    CFontRecord font = tinyFont(true);
    font.font.fRectHeight = 0xFFFF;
    for (const GreyImage& image : {DrawFontText(font, 1, 2), DrawFontText(font, 2, 1), DrawFontPreview(font)}) {
        EXPECT_EQ(image.width, 0);
        EXPECT_EQ(image.height, 0);
        EXPECT_TRUE(image.pixels.empty());
    }
}

TEST(FontPreview, TextLinesAreTheStrikesRowsAtTheZoom) {
    struct Case {
        bool two;
        int density, zoom, height;
    };
    // tinyFont has 2 rows; the double-density strike 4; a margin of one zoom above and below.
    for (const Case c : {Case{false, 1, 1, 4}, Case{false, 2, 3, 12}, Case{true, 1, 2, 8}, Case{true, 2, 2, 12},
                         Case{true, 2, 100, 48}}) {
        SCOPED_TRACE(testing::Message() << c.two << " density " << c.density << " zoom " << c.zoom);
        const GreyImage image = DrawFontText(tinyFont(c.two), c.density, c.zoom, "AA");
        EXPECT_EQ(image.height, c.height);  // zooms past 8 draw at 8
    }
}

TEST(FontPreview, ALongNameDoesNotWidenThePreview) {
    const int plain = DrawFontPreview(tinyFont(false, std::string(200, 'N'))).width;
    EXPECT_EQ(DrawFontPreview(tinyFont(false, std::string(60000, 'N'))).width, plain);
    EXPECT_LT(plain, 1300);
}
