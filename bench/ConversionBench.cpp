// Benchmarks of font conversion: the default batch of one family (DejaVu Sans, the 19 sizes 6 to
// 24, four styles, double density: 76 records) against its floor, FreeType loading and rendering
// the same characters at the same sizes with nothing else.
#include "app/ConversionBatch.h"
#include "core/FontList.h"
#include "platform/gdi/FreeTypeFontEngine.h"

#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace {
// The sizes of the list whose every style makes a record a handheld can hold (25 pt Bold Italic
// with double density is too large).
std::vector<int> defaultSizes() {
    std::vector<int> sizes;
    for (int s = 6; s <= 24; ++s) sizes.push_back(s);
    return sizes;
}

void BM_DefaultBatchOfOneFamily(benchmark::State& state) {
    gdi::FreeTypeFontEngine engine;
    FontCatalog catalog;
    catalog.Enumerate(engine);
    const auto sans = catalog.Find("DejaVu Sans", std::uint8_t{0});
    if (!sans) {
        state.SkipWithError("DejaVu Sans is not installed");
        return;
    }
    const auto plan = PlanBatch({*sans}, defaultSizes(),
                                {FontStyle::Regular, FontStyle::Bold, FontStyle::Italic, FontStyle::BoldItalic});
    for (auto _ : state) {
        CFontList list;
        list.New();
        const auto result = RunBatch(engine, list, plan, true);
        if (!result.completed) state.SkipWithError(result.failure.c_str());
        benchmark::DoNotOptimize(list.Count());
    }
    state.counters["records"] = static_cast<double>(plan.size());
}
BENCHMARK(BM_DefaultBatchOfOneFamily)->Unit(benchmark::kMillisecond);

// One record of the batch on its own: its two fonts made, rasterised and packed into strikes.
void BM_OneHighDensityRecord(benchmark::State& state) {
    gdi::FreeTypeFontEngine engine;
    const auto size = static_cast<int>(state.range(0));
    const FontRequest request{"DejaVu Sans", gdi::ANSI_CHARSET, 0x22, size, gdi::FW_NORMAL, false};
    std::size_t bytes = 0;
    for (auto _ : state) {
        CFontRecord record;
        std::string why;
        if (!BuildOne(engine, record, true, request, &why)) {
            state.SkipWithError(why.c_str());
            break;
        }
        bytes += record.strike1.size() + record.strike2.size();
        benchmark::DoNotOptimize(record.strike2.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_OneHighDensityRecord)->Arg(9)->Arg(24)->Unit(benchmark::kMicrosecond);

// The same faces, sizes (single and double) and characters, loaded and rendered by FreeType alone.
void BM_FreeTypeFloor(benchmark::State& state) {
    const char* files[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf"};
    FT_Library library = nullptr;
    FT_Init_FreeType(&library);
    std::vector<FT_Face> faces;
    for (const char* file : files) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, file, 0, &face) == 0) faces.push_back(face);
    }
    if (faces.size() != 4) state.SkipWithError("the DejaVu Sans files are not installed");
    for (auto _ : state)
        for (const int size : defaultSizes())
            for (FT_Face face : faces)
                for (const int ppem : {size, 2 * size}) {
                    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
                    for (unsigned ch = 0x1E; ch <= 0xFF; ++ch) {
                        if (FT_Load_Char(face, ch, FT_LOAD_TARGET_MONO) != 0) continue;
                        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO);
                        benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
                    }
                }
    for (FT_Face face : faces) FT_Done_Face(face);
    FT_Done_FreeType(library);
}
BENCHMARK(BM_FreeTypeFloor)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
