// Tests of the strike cache with a scripted font engine: builds through it give the bytes of builds
// without it, each description is drawn once while a later build expects it, and nothing is kept
// once the batch is through.
#include "core/StrikeCache.h"

#include "core/FontBuilder.h"
#include "support/ScriptedFontEngine.h"

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;

namespace {
// Every height from 1 to 60 px, with characters whose widths differ from one height to the next,
// so that a strike of the wrong height shows in the bytes.
ScriptedFontEngine engineOfEveryHeight() {
    ScriptedFontEngine engine;
    for (int h = 1; h <= 60; ++h) {
        engine.face.metrics[h] = scriptedMetrics(h, (3 * h + 3) / 4, 'A', 'C', h);
        engine.face.glyphs[h]['A'] = {{0, std::uint32_t(h / 2 + 1), 1}, true};
        engine.face.glyphs[h]['B'] = {{1, std::uint32_t(h / 3 + 1), 0}, true, h / 2, 0};
    }
    return engine;
}

std::vector<FontRequest> requestsOf(const std::vector<int>& sizes, bool withBold) {
    std::vector<FontRequest> requests;
    for (const int size : sizes)
        for (const bool bold : {false, true}) {
            if (bold && !withBold) continue;
            requests.push_back({"S", 0, 0, size, bold ? gdi::FW_BOLD : gdi::FW_NORMAL, false});
        }
    return requests;
}

Bytes build(gdi::FontEngine& engine, const FontRequest& request, bool high, StrikeCache* strikes) {
    CFontRecord record;
    std::string why;
    EXPECT_TRUE(BuildOne(engine, record, high, request, &why, strikes)) << why;
    return Serialise(record).value_or(Bytes());
}
}  // namespace

TEST(StrikeCache, DrawsEachDescriptionOnceAndGivesTheBytesOfBuildsWithoutIt) {
    struct Case {
        const char* what;
        std::vector<int> sizes;
        bool withBold;
        bool high;
        std::size_t byteLimit;
        std::size_t drawn;
    };
    const Case cases[] = {
        {"size 4's second strike is size 8's first", {4, 8}, false, true, StrikeCache::kDefaultByteLimit, 3},
        {"two styles, each drawn apart", {4, 5, 8, 10}, true, true, StrikeCache::kDefaultByteLimit, 12},
        {"a larger size's first strike is a smaller one's second", {8, 4}, false, true, StrikeCache::kDefaultByteLimit, 3},
        {"single density draws each size once", {4, 8}, false, false, StrikeCache::kDefaultByteLimit, 2},
        {"a size asked twice is drawn once", {6, 6}, false, false, StrikeCache::kDefaultByteLimit, 1},
        {"no room keeps nothing", {4, 8}, false, true, 0, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto engine = engineOfEveryHeight();
        const auto requests = requestsOf(c.sizes, c.withBold);
        StrikeCache strikes(requests, c.high, c.byteLimit);
        for (const auto& request : requests) {
            SCOPED_TRACE(request.pointSize);
            const Bytes alone = build(engine, request, c.high, nullptr);
            EXPECT_EQ(build(engine, request, c.high, &strikes), alone);
            EXPECT_LE(strikes.KeptBytes(), c.byteLimit);
        }
        EXPECT_EQ(strikes.Drawn(), c.drawn);
        EXPECT_EQ(strikes.KeptStrikes(), 0u);
        EXPECT_EQ(strikes.KeptBytes(), 0u);
    }
}

// A double-size font fitted to another height than twice the size draws a description no build
// expects: it is drawn, not kept, and the single strike it was expected to share is drawn too.
TEST(StrikeCache, ADoubleFittedElsewhereIsDrawnAndNotKept) {
    auto engine = engineOfEveryHeight();
    // At 8 px the cell is two rows short of twice the 4 px one, so size 4 is fitted at 9 px.
    engine.face.metrics[8] = scriptedMetrics(6, 5, 'A', 'C', 8);
    engine.face.metrics[9] = scriptedMetrics(8, 6, 'A', 'C', 9);
    const auto requests = requestsOf({4, 8}, false);
    StrikeCache strikes(requests, true);
    CFontRecord record;
    ASSERT_TRUE(BuildOne(engine, record, true, requests[0], nullptr, &strikes));
    EXPECT_EQ(engine.created.back().lfHeight, -9);
    EXPECT_EQ(strikes.KeptStrikes(), 0u);
    EXPECT_EQ(build(engine, requests[1], true, &strikes), build(engine, requests[1], true, nullptr));
    EXPECT_EQ(strikes.Drawn(), 4u);
}
