// Interop: the ink of converted fonts against FreeType's own hinted monochrome rendering of the
// same glyphs (FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), cell by cell and placed on the strike's
// baseline; the baseline both strikes of a two-density font share; and the handheld's record
// size limit, with the installed DejaVu fonts (and Liberation Sans where it is installed).
#include "app/ConversionBatch.h"
#include "core/FontBuilder.h"
#include "core/FontList.h"
#include "platform/gdi/CodePages.h"
#include "platform/gdi/FreeTypeFontEngine.h"
#include "support/ScriptedDocumentUi.h"

#include <cstring>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_OUTLINE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <set>

namespace {
// Ink pixels as (row from the baseline, negative above it; column from the leftmost ink).
using Ink = std::vector<std::pair<int, int>>;

Ink normalised(Ink ink) {
    if (ink.empty()) return ink;
    int left = ink.front().second;
    for (const auto& p : ink) left = std::min(left, p.second);
    for (auto& p : ink) p.second -= left;
    std::sort(ink.begin(), ink.end());
    return ink;
}

// The ink of entry index of a strike (1 or 2), rows counted from the baseline at ascent x scale;
// columns from the pen position when penColumn (the pen's column in the cell) is given, else from
// the leftmost ink.
Ink cellInk(const CFontRecord& font, int index, int scale, std::optional<int> penColumn = std::nullopt) {
    const auto& strike = scale == 1 ? font.strike1 : font.strike2;
    const int rowBytes = font.font.rowWords * 2 * scale;
    const int rows = font.font.fRectHeight * scale;
    const int from = font.locationTable[std::size_t(index)] * scale;
    const int to = font.locationTable[std::size_t(index) + 1] * scale;
    Ink ink;
    for (int r = 0; r < rows; ++r)
        for (int x = from; x < to; ++x)
            if (strike[std::size_t(r * rowBytes + x / 8)] & (0x80 >> (x % 8)))
                ink.emplace_back(r - font.font.ascent * scale, x - from - penColumn.value_or(0));
    if (penColumn) {
        std::sort(ink.begin(), ink.end());
        return ink;
    }
    return normalised(ink);
}

struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    explicit FreeTypeFace(const std::string& file) {
        if (FT_Init_FreeType(&library) == 0 && FT_New_Face(library, file.c_str(), 0, &face) != 0) face = nullptr;
    }
    ~FreeTypeFace() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    // The glyph as FreeType renders it for a black-and-white display at ppem pixels, columns from
    // the pen position when fromPen, else from the leftmost ink.
    Ink render(FT_UInt glyph, int ppem, bool fromPen) const {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return {};
        return inkOf(face->glyph->bitmap, face->glyph->bitmap_left, face->glyph->bitmap_top, fromPen);
    }

    // The same outline drawn by the same rasteriser into its whole control box (edges floored
    // and ceiled), as the font engine draws it. FT_Render_Glyph rounds the box's edges to pixel
    // centres instead, and a thin stroke's dropout pixel that falls in an edge column the rounded
    // box leaves out moves to the column beside it.
    Ink renderInControlBox(FT_UInt glyph, int ppem, bool fromPen) const {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
        if (FT_Load_Glyph(face, glyph, FT_LOAD_TARGET_MONO) != 0 || face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
            return {};
        FT_Outline& outline = face->glyph->outline;
        FT_BBox box;
        FT_Outline_Get_CBox(&outline, &box);
        const FT_Pos left = box.xMin >> 6, bottom = box.yMin >> 6, right = (box.xMax + 63) >> 6, top = (box.yMax + 63) >> 6;
        if (right <= left || top <= bottom) return {};
        FT_Outline_Translate(&outline, -left * 64, -bottom * 64);
        FT_Bitmap bitmap;
        FT_Bitmap_Init(&bitmap);
        bitmap.width = static_cast<unsigned>(right - left);
        bitmap.rows = static_cast<unsigned>(top - bottom);
        bitmap.pitch = static_cast<int>((bitmap.width + 7) / 8);
        std::vector<unsigned char> bits(std::size_t(bitmap.pitch) * bitmap.rows, 0);
        bitmap.buffer = bits.data();
        bitmap.num_grays = 2;
        bitmap.pixel_mode = FT_PIXEL_MODE_MONO;
        if (FT_Outline_Get_Bitmap(library, &outline, &bitmap) != 0) return {};
        return inkOf(bitmap, static_cast<int>(left), static_cast<int>(top), fromPen);
    }

private:
    static Ink inkOf(const FT_Bitmap& b, int left, int top, bool fromPen) {
        Ink ink;
        for (unsigned r = 0; r < b.rows; ++r)
            for (unsigned x = 0; x < b.width; ++x)
                if (b.buffer[std::ptrdiff_t(r) * b.pitch + x / 8] & (0x80 >> (x % 8)))
                    ink.emplace_back(int(r) - top, int(x) + (fromPen ? left : 0));
        if (!fromPen) return normalised(ink);
        std::sort(ink.begin(), ink.end());
        return ink;
    }
};

// The installed DejaVu TrueType files.
std::vector<std::string> dejaVuFiles() {
    std::vector<std::string> files;
    if (!FcInit()) return files;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_FAMILY, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    for (int i = 0; set && i < set->nfont; ++i) {
        FcChar8* file = nullptr;
        FcChar8* family = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch ||
            FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch)
            continue;
        const std::string name(reinterpret_cast<const char*>(file));
        if (std::string(reinterpret_cast<const char*>(family)).rfind("DejaVu", 0) == 0 && name.ends_with(".ttf"))
            files.push_back(name);
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    std::sort(files.begin(), files.end());
    return files;
}

std::string fileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The file of a family's regular face, as the font engine names the family; none when it is not
// installed.
std::optional<std::string> regularFileOf(const std::string& family) {
    std::optional<std::string> found;
    if (!FcInit()) return found;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    for (int i = 0; set && i < set->nfont && !found; ++i) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
        const std::string path(reinterpret_cast<const char*>(file));
        gdi::FreeTypeFontEngine engine({0, {path}, {}});
        for (const auto& e : engine.EnumFontFamiliesEx())
            if (family == e.logFont.lfFaceName && e.logFont.lfWeight == gdi::FW_NORMAL && !e.logFont.lfItalic)
                found = path;
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

// The description of the one face an engine made from a single file holds, in Western.
FontRequest faceOf(gdi::FreeTypeFontEngine& engine, int size) {
    for (const auto& e : engine.EnumFontFamiliesEx())
        if (e.logFont.lfCharSet == gdi::ANSI_CHARSET) {
            const gdi::LOGFONT& lf = e.logFont;
            return {std::string(lf.lfFaceName, strnlen(lf.lfFaceName, gdi::LF_FACESIZE)), lf.lfCharSet,
                    lf.lfPitchAndFamily, size, lf.lfWeight, lf.lfItalic != 0};
        }
    return {};
}

std::unique_ptr<gdi::Font> fontAt(gdi::FontEngine& engine, const FontRequest& request, int height) {
    return engine.CreateFontIndirect(request.DescriptionAt(height));
}

// The row of a character's lowest ink as font draws it, from the baseline (-1: the row above it).
int lowestInk(gdi::Font& font, std::uint8_t ch) {
    const auto tm = font.GetTextMetrics();
    auto bitmap = gdi::CreateCompatibleBitmap(3 * tm.tmMaxCharWidth, 3 * tm.tmHeight);
    const int baseline = tm.tmHeight + tm.tmAscent;
    if (!bitmap || !font.TextOut(*bitmap, tm.tmMaxCharWidth, baseline, ch)) return 0;
    for (int y = bitmap->Height() - 1; y >= 0; --y)
        for (int x = 0; x < bitmap->Width(); ++x)
            if (bitmap->GetPixel(x, y) != gdi::RGB(255, 255, 255)) return y - baseline;
    return 0;
}

struct Comparison {
    int equal = 0;                         // as FreeType renders them
    std::vector<std::string> inControlBox; // as FreeType draws them into their whole control box
    std::vector<std::string> differences;  // neither: "file size px char c: what"
    std::size_t total() const { return std::size_t(equal) + inControlBox.size() + differences.size(); }
};

// Compares every entry of one strike of font with FreeType's rendering at ppem. With the font
// that drew a single-density strike, columns are compared from the pen position.
void compareStrike(const CFontRecord& font, int scale, const FreeTypeFace& face, int ppem, gdi::Font* drawn,
                   const gdi::TEXTMETRIC& tm, const std::string& what, Comparison& out) {
    const auto& unicode = gdi::ByteToUnicode(1252);
    for (int i = 0; i < font.Count(); ++i) {
        // The last entry is the missing-character symbol: the default character's glyph.
        const int ch = i == font.Count() - 1 ? tm.tmDefaultChar : font.font.firstChar + i;
        FT_UInt glyph = unicode[std::size_t(ch)] == gdi::kNoCharacter ? 0 : FT_Get_Char_Index(face.face, unicode[std::size_t(ch)]);
        const bool missing = font.offsetWidth[2 * std::size_t(i)] == 0xFF;
        const std::string where = what + " " + std::to_string(ppem) + " px char " + std::to_string(ch);
        if (glyph == 0 && ch != tm.tmDefaultChar) {
            if (missing) ++out.equal;
            else out.differences.push_back(where + ": drawn, but the font lacks it");
            continue;
        }
        if (missing) {
            out.differences.push_back(where + ": missing");
            continue;
        }
        std::optional<int> pen;
        gdi::ABC abc;
        // A drawn cell starts with one blank column, then the black box, which starts abcA
        // columns right of the pen.
        if (drawn && drawn->GetCharABCWidths(static_cast<std::uint8_t>(ch), abc)) pen = abc.abcB == 0 ? 0 : 1 - abc.abcA;
        const Ink ours = cellInk(font, i, scale, pen);
        const Ink theirs = face.render(glyph, ppem, pen.has_value());
        if (ours == theirs) {
            ++out.equal;
            continue;
        }
        if (ours == face.renderInControlBox(glyph, ppem, pen.has_value())) {
            out.inControlBox.push_back(where);
            continue;
        }
        std::set<std::pair<int, int>> a(ours.begin(), ours.end()), b(theirs.begin(), theirs.end());
        int extra = 0, lacking = 0;
        for (const auto& p : a) extra += !b.count(p);
        for (const auto& p : b) lacking += !a.count(p);
        out.differences.push_back(where + ": " + std::to_string(extra) + " more, " + std::to_string(lacking) +
                                  " fewer pixels (" + std::to_string(theirs.size()) + " in FreeType's)");
    }
}

}  // namespace

TEST(GlyphInk, DejaVuSingleDensityIsFreeTypesMonochromeRendering) {
    const auto files = dejaVuFiles();
    ASSERT_FALSE(files.empty()) << "no DejaVu fonts installed";
    std::map<std::string, Comparison> byFile;
    for (const auto& file : files) {
        gdi::FreeTypeFontEngine engine({0, {file}, {}});
        const FreeTypeFace face(file);
        ASSERT_TRUE(face.face) << file;
        Comparison& result = byFile[fileName(file)];
        for (int size = 6; size <= 26; ++size) {
            const FontRequest lf = faceOf(engine, size);
            CFontRecord font;
            std::string why;
            ASSERT_TRUE(BuildLowDensity(engine, font, lf, &why)) << file << " " << size << ": " << why;
            EXPECT_EQ(font.font.ascent + font.font.descent, font.font.fRectHeight);
            const auto drawn = fontAt(engine, lf, size);
            ASSERT_TRUE(drawn);
            compareStrike(font, 1, face, size, drawn.get(), drawn->GetTextMetrics(), fileName(file), result);
        }
    }
    for (const auto& [file, result] : byFile) {
        std::cout << file << ": " << result.total() << " glyphs, " << result.equal << " as FreeType renders them, "
                  << result.inControlBox.size() << " as FreeType draws them into their whole control box, "
                  << result.differences.size() << " otherwise\n";
        for (const auto& d : result.differences) std::cout << "  " << d << "\n";
        if (result.inControlBox.size() <= 10)
            for (const auto& d : result.inControlBox) std::cout << "  control box: " << d << "\n";
    }
    for (const char* file : {"DejaVuSans.ttf", "DejaVuSerif.ttf"}) {
        ASSERT_TRUE(byFile.count(file)) << file;
        EXPECT_GT(byFile[file].equal, 21 * 200) << file;
    }
    for (const auto& [file, result] : byFile) EXPECT_EQ(result.differences, std::vector<std::string>()) << file;
}

TEST(GlyphInk, AccentsAboveTheAscentKeepTheirInkInBothStrikes) {
    struct Case {
        const char* family;
        int size;
    };
    const Case cases[] = {{"DejaVu Sans", 9}, {"Liberation Sans", 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " " + std::to_string(c.size));
        const auto file = regularFileOf(c.family);
        if (!file) {
            std::cout << c.family << " is not installed\n";
            continue;
        }
        gdi::FreeTypeFontEngine engine({0, {*file}, {}});
        const FreeTypeFace face(*file);
        const FontRequest lf = faceOf(engine, c.size);
        const auto single = fontAt(engine, lf, c.size);
        ASSERT_TRUE(single);
        const auto tm = single->GetTextMetrics();
        int doubleSize = 0;
        ASSERT_TRUE(FitDoubleSizeFont(engine, lf, tm, &doubleSize));

        CFontRecord low, high;
        ASSERT_TRUE(BuildLowDensity(engine, low, lf));
        ASSERT_TRUE(BuildHighDensity(engine, high, lf));
        // The accents need rows the font's cell does not have.
        EXPECT_GT(low.font.fRectHeight, tm.tmHeight + tm.tmExternalLeading);
        EXPECT_EQ(high.strike2.size(), 4 * high.strike1.size());
        for (const CFontRecord* f : {&low, &high}) {
            EXPECT_EQ(f->font.ascent + f->font.descent, f->font.fRectHeight);
            EXPECT_GE(f->font.ascent, tm.tmAscent);
            EXPECT_GE(f->font.descent, tm.tmDescent);
        }
        // A with grave, acute, circumflex, tilde, diaeresis and ring is not a plain A.
        for (int ch = 0xC0; ch <= 0xC5; ++ch)
            EXPECT_NE(cellInk(low, ch - low.font.firstChar, 1), cellInk(low, 'A' - low.font.firstChar, 1)) << ch;

        Comparison result;
        compareStrike(low, 1, face, c.size, single.get(), tm, "single density", result);
        compareStrike(high, 1, face, c.size, nullptr, tm, "strike 1", result);
        compareStrike(high, 2, face, doubleSize, nullptr, tm, "strike 2", result);
        EXPECT_EQ(result.differences, std::vector<std::string>());
        EXPECT_EQ(result.total(), 3u * std::size_t(low.Count()));
    }
}

TEST(GlyphInk, BothStrikesStandOnOneBaselineInEveryCombination) {
    gdi::FreeTypeFontEngine engine;
    FontCatalog catalog;
    catalog.Enumerate(engine);
    std::vector<FontCatalogEntry> families;
    for (const auto& e : catalog.Entries())
        if (e.faceName.rfind("DejaVu", 0) == 0 && e.charSet == gdi::ANSI_CHARSET) families.push_back(e);
    ASSERT_FALSE(families.empty());
    std::vector<int> sizes;
    for (int s = 6; s <= 26; ++s) sizes.push_back(s);
    const auto plan = PlanBatch(families, sizes, {FontStyle::Regular, FontStyle::Bold, FontStyle::Italic, FontStyle::BoldItalic});
    int hStandsOnTheBaseline = 0;
    for (const auto& c : plan) {
        SCOPED_TRACE(c.font.faceName + " " + std::to_string(c.size) + " " + StyleName(c.style));
        const FontRequest lf = RequestFor(c);
        CFontRecord f;
        ASSERT_TRUE(BuildHighDensity(engine, f, lf));
        EXPECT_EQ(f.strike2.size(), 4 * f.strike1.size());
        const auto single = fontAt(engine, lf, c.size);
        int doubleSize = 0;
        const auto twice = FitDoubleSizeFont(engine, lf, single->GetTextMetrics(), &doubleSize);
        ASSERT_TRUE(twice);
        // 'H' stands on the baseline (its lowest ink one row above it) unless hinting thins it
        // away at the smallest sizes; either way each strike keeps it where the font draws it.
        const Ink one = cellInk(f, 'H' - f.font.firstChar, 1);
        const Ink two = cellInk(f, 'H' - f.font.firstChar, 2);
        ASSERT_FALSE(one.empty());
        ASSERT_FALSE(two.empty());
        EXPECT_EQ(one.back().first, lowestInk(*single, 'H'));
        EXPECT_EQ(two.back().first, lowestInk(*twice, 'H'));
        hStandsOnTheBaseline += one.back().first == -1 && two.back().first == -1;
    }
    EXPECT_GT(hStandsOnTheBaseline, int(plan.size()) * 9 / 10);
    std::cout << plan.size() << " combinations of " << families.size() << " families, 'H' on the baseline row in "
              << hStandsOnTheBaseline << "\n";
}

TEST(GlyphInk, TheLargestRecordsAreRefused) {
    gdi::FreeTypeFontEngine engine;
    ScriptedDocumentUi ui;
    CFontList list;
    list.New();
    const Combination at24{{"DejaVu Sans", "Western", 0, 0x22}, 24, FontStyle::BoldItalic};
    Combination at25 = at24;
    at25.size = 25;
    EXPECT_TRUE(ui.Show(ConvertOne(engine, list, true, RequestFor(at24))));
    std::string why;
    EXPECT_FALSE(ui.Show(ConvertOne(engine, list, true, RequestFor(at25), &why)));
    EXPECT_EQ(list.Count(), 1u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("DejaVu Sans Bold Italic 25 pt: the record would be ", 0), 0u) << ui.messages[0].text;
    EXPECT_NE(why.find("too large for a handheld record (at most 65,505)"), std::string::npos);
}
