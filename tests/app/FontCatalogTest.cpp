// Tests of the font catalog's faces as Add Font's dialog lists them.
#include "app/FontCatalog.h"
#include "support/ScriptedFontEngine.h"

#include <gtest/gtest.h>

namespace {
gdi::EnumeratedFont enumerated(const char* face, std::uint8_t charSet, const char* script) {
    gdi::EnumeratedFont font;
    font.logFont = gdi::makeLogFont(face, 0, gdi::FW_NORMAL, false, charSet);
    font.script = script;
    font.fontType = gdi::TRUETYPE_FONTTYPE;
    return font;
}

FontCatalog catalogOf(std::vector<gdi::EnumeratedFont> families) {
    ScriptedFontEngine engine;
    engine.families = std::move(families);
    FontCatalog catalog;
    catalog.Enumerate(engine);
    return catalog;
}
}  // namespace

TEST(FontCatalogFaces, EachFaceOnceSortedWithoutRegardToCase) {
    const FontCatalog catalog = catalogOf({
        enumerated("Sans", 0, "Western"),
        enumerated("Sans", 204, "Cyrillic"),
        enumerated("sans light", 0, "Western"),
        enumerated("Sans Condensed", 0, "Western"),
        enumerated("SANS", 161, "Greek"),  // the same face in other letters
        enumerated("Mono", 0, "Western"),
        enumerated("@Mincho", 128, "Japanese"),  // a vertical face, never offered
    });
    EXPECT_EQ(catalog.FaceNames(), (std::vector<std::string>{"Mono", "Sans", "Sans Condensed", "sans light"}));
}

TEST(FontCatalogFaces, ScriptsOfAFaceInEnumerationOrder) {
    const FontCatalog catalog = catalogOf({
        enumerated("Sans", 0, "Western"),
        enumerated("Serif", 0, "Western"),
        enumerated("Sans", 204, "Cyrillic"),
        enumerated("sans", 161, "Greek"),
    });
    std::vector<std::uint8_t> charSets;
    for (const auto& entry : catalog.ScriptsOf("SANS")) charSets.push_back(entry.charSet);
    EXPECT_EQ(charSets, (std::vector<std::uint8_t>{0, 204, 161}));
    EXPECT_TRUE(catalog.ScriptsOf("Missing").empty());
}
