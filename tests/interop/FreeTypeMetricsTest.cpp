// Interop: the font engine's character widths against FreeType's own hinted metrics for the
// printable ASCII characters of DejaVu Sans and DejaVu Serif at several sizes.
#include "platform/gdi/FreeTypeFontEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

namespace {
const char* kFiles[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                        "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"};
}

TEST(FreeTypeMetrics, AbcWidthsAreFreeTypesHintedMetrics) {
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    for (const char* file : kFiles) {
        FT_Face face = nullptr;
        ASSERT_EQ(FT_New_Face(library, file, 0, &face), 0) << file;
        gdi::FreeTypeFontEngine engine({0, {file}, {}});
        for (const int ppem : {8, 12, 17, 24}) {
            auto font = engine.CreateFontIndirect(gdi::makeLogFont(face->family_name, -ppem, 400, false, 0));
            ASSERT_TRUE(font) << file;
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
            for (unsigned ch = 0x21; ch < 0x7F; ++ch) {
                SCOPED_TRACE(std::string(file) + " " + std::to_string(ppem) + " px '" + char(ch) + "'");
                ASSERT_EQ(FT_Load_Char(face, ch, FT_LOAD_TARGET_MONO | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH), 0);
                const FT_Glyph_Metrics& m = face->glyph->metrics;
                gdi::ABC abc;
                ASSERT_TRUE(font->GetCharABCWidths(static_cast<std::uint8_t>(ch), abc));
                EXPECT_EQ(abc.abcA, static_cast<int>(m.horiBearingX >> 6));
                EXPECT_EQ(abc.abcB, static_cast<unsigned>((m.width + 63) >> 6));
                EXPECT_EQ(abc.abcA + static_cast<int>(abc.abcB) + abc.abcC, static_cast<int>((m.horiAdvance + 63) >> 6));
            }
            // The ascent and descent GDI reports cover the glyphs' own extent at this size.
            const auto tm = font->GetTextMetrics();
            EXPECT_GE(tm.tmAscent, static_cast<int>(face->size->metrics.ascender >> 6) - 1);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
}
