// Tests of the FreeType font engine with DejaVu Sans and DejaVu Serif (fonts-dejavu-core): text
// metrics, character widths, drawing, enumeration, and the same results from two threads.
#include "platform/gdi/FreeTypeFontEngine.h"

#include "platform/gdi/FacePool.h"
#include "platform/gdi/InstalledFaces.h"

#include "app/BatchWorker.h"
#include "app/ConversionBatch.h"
#include "core/FontBuilder.h"
#include "core/FontList.h"
#include "core/qz_fileio/AllocationFaults.h"
#include "core/qz_fileio/DbRecord.h"
#include "support/ScriptedDocumentUi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <thread>

using gdi::makeLogFont;

namespace {
gdi::FreeTypeFontEngine& engine() {
    static gdi::FreeTypeFontEngine instance;
    return instance;
}

std::unique_ptr<gdi::Font> dejaVu(int height, int weight = 400, bool italic = false, const char* face = "DejaVu Sans") {
    auto font = engine().CreateFontIndirect(makeLogFont(face, height, weight, italic, 0));
    EXPECT_TRUE(font) << face << " is not installed";
    return font;
}
}  // namespace

TEST(FreeTypeFontEngine, TextMetricsOfDejaVuSans) {
    struct Case {
        int lfHeight, height, ascent, descent, internal, external, average, maximum;
    };
    const Case cases[] = {
        {-12, 14, 11, 3, 2, 0, 6, 34},
        {12, 11, 9, 2, 2, 0, 5, 28},
        {-24, 28, 22, 6, 4, 0, 12, 68},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lfHeight);
        const auto font = dejaVu(c.lfHeight);
        ASSERT_TRUE(font);
        const auto tm = font->GetTextMetrics();
        EXPECT_EQ(tm.tmHeight, c.height);
        EXPECT_EQ(tm.tmAscent, c.ascent);
        EXPECT_EQ(tm.tmDescent, c.descent);
        EXPECT_EQ(tm.tmInternalLeading, c.internal);
        EXPECT_EQ(tm.tmExternalLeading, c.external);
        EXPECT_EQ(tm.tmAveCharWidth, c.average);
        EXPECT_EQ(tm.tmMaxCharWidth, c.maximum);
        EXPECT_EQ(tm.tmFirstChar, 0x1E);
        EXPECT_EQ(tm.tmLastChar, 0xFF);
        EXPECT_EQ(tm.tmDefaultChar, 0x1F);
        EXPECT_EQ(tm.tmBreakChar, 0x20);
    }
}

TEST(FreeTypeFontEngine, AbcWidthsAt12Pixels) {
    struct Case {
        char ch;
        int a;
        unsigned b;
        int c;
    };
    const Case cases[] = {{'A', 0, 8, 0}, {'g', 1, 6, 1}, {'y', -1, 8, -1}, {'j', 0, 2, 1}, {'f', 0, 4, 0}, {' ', 0, 0, 4}};
    const auto font = dejaVu(-12);
    ASSERT_TRUE(font);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ch);
        gdi::ABC abc;
        ASSERT_TRUE(font->GetCharABCWidths(static_cast<std::uint8_t>(c.ch), abc));
        EXPECT_EQ(abc.abcA, c.a);
        EXPECT_EQ(abc.abcB, c.b);
        EXPECT_EQ(abc.abcC, c.c);
        std::int32_t width = 0;
        font->GetCharWidth32(static_cast<std::uint8_t>(c.ch), width);
        EXPECT_EQ(width, c.a + static_cast<int>(c.b) + c.c);
    }
}

TEST(FreeTypeFontEngine, BytesTheFontLacksCannotBeDrawnButTheDefaultCharacterCan) {
    const auto font = dejaVu(-12);
    ASSERT_TRUE(font);
    auto bitmap = gdi::CreateCompatibleBitmap(40, 14);
    EXPECT_FALSE(font->TextOut(*bitmap, 2, 11, 0x81));  // unassigned in code page 1252
    EXPECT_TRUE(font->TextOut(*bitmap, 2, 11, 0x1F));   // the default character: .notdef
    EXPECT_TRUE(font->TextOut(*bitmap, 2, 11, 0x80));   // the euro sign
    int ink = 0;
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 40; ++x) ink += bitmap->GetPixel(x, y) == 0;
    EXPECT_GT(ink, 10);
}

TEST(FreeTypeFontEngine, SyntheticBoldWidensAndUnknownFacesAreRefused) {
    const auto regular = dejaVu(-12, 400, false, "DejaVu Sans Mono");
    const auto bold = dejaVu(-12, 700, false, "DejaVu Sans Mono");
    ASSERT_TRUE(regular && bold);
    EXPECT_FALSE(engine().CreateFontIndirect(makeLogFont("No Such Face", -12, 400, false, 0)));
    // DejaVu Sans Mono has a real bold face: same advance, no synthetic widening.
    std::int32_t r = 0, b = 0;
    regular->GetCharWidth32('m', r);
    bold->GetCharWidth32('m', b);
    EXPECT_EQ(r, b);
}

TEST(FreeTypeFontEngine, EnumeratesDejaVuSansInItsNineScripts) {
    std::vector<std::string> scripts;
    bool condensed = false;
    for (const auto& e : engine().EnumFontFamiliesEx()) {
        const std::string face = e.logFont.lfFaceName;
        if (face == "DejaVu Sans") {
            scripts.push_back(e.script);
            EXPECT_EQ(e.fontType, gdi::TRUETYPE_FONTTYPE);
            EXPECT_EQ(e.logFont.lfPitchAndFamily & 0x0F, 2);  // variable pitch
        }
        condensed = condensed || face == "DejaVu Sans Condensed";
    }
    EXPECT_EQ(scripts, (std::vector<std::string>{"Western", "Central European", "Cyrillic", "Greek", "Turkish",
                                                 "Hebrew", "Arabic", "Baltic", "Vietnamese"}));
    EXPECT_TRUE(condensed);  // the family name GDI shows, not fontconfig's typographic family
}

TEST(ConvertWithDejaVu, RecordsParseAndKeepTheirInvariants) {
    CFontList list;
    list.New();
    const FontCatalogEntry sans{"DejaVu Sans", "Western", 0, 0x22}, serif{"DejaVu Serif", "Western", 0, 0x12};
    const auto plan = PlanBatch({sans, serif}, {9, 12}, {FontStyle::Regular, FontStyle::Bold, FontStyle::Italic});
    for (const bool high : {false, true}) {
        const auto result = RunBatch(engine(), list, plan, high);
        ASSERT_TRUE(result.completed) << result.failure;
    }
    ASSERT_EQ(list.Count(), 24u);
    for (std::size_t i = 0; i < list.Count(); ++i) {
        SCOPED_TRACE(list.At(i)->name + " " + std::to_string(list.At(i)->size) + list.At(i)->style);
        const auto font = Parse(list.At(i)->record->Bytes());
        ASSERT_TRUE(font);
        const int count = font->Count();
        EXPECT_EQ(font->locationTable.back(), font->locationTable[std::size_t(count)]);
        EXPECT_LE(font->locationTable.back(), font->font.rowWords * 16);
        EXPECT_GT(font->locationTable.back(), (font->font.rowWords - 1) * 16);
        for (int e = 0; e < count; ++e) {
            const int step = font->locationTable[std::size_t(e) + 1] - font->locationTable[std::size_t(e)];
            if (font->offsetWidth[2 * std::size_t(e)] == 0xFF) {
                EXPECT_EQ(font->offsetWidth[2 * std::size_t(e) + 1], 0xFF);
                EXPECT_EQ(step, 0);
            } else {
                EXPECT_EQ(font->offsetWidth[2 * std::size_t(e) + 1], step);
            }
        }
        // Code page 1252 leaves 0x81 unassigned: a missing character.
        EXPECT_EQ(font->offsetWidth[2 * std::size_t(0x81 - font->font.firstChar)], 0xFF);
    }
    // Bold and italic are drawn differently from regular.
    EXPECT_NE(Parse(list.At(0)->record->Bytes())->strike1, Parse(list.At(1)->record->Bytes())->strike1);
    EXPECT_NE(Parse(list.At(0)->record->Bytes())->strike1, Parse(list.At(2)->record->Bytes())->strike1);
}

TEST(ConvertWithDejaVu, TwoThreadsGiveTheSameBytesAsOne) {
    const auto convert = [](std::vector<std::vector<std::uint8_t>>& out) {
        CFontList list;
        list.New();
        const auto plan = PlanBatch({{"DejaVu Sans", "Western", 0, 0x22}}, {8, 11, 14}, {FontStyle::Regular, FontStyle::BoldItalic});
        RunBatch(engine(), list, plan, true);
        for (std::size_t i = 0; i < list.Count(); ++i)
            out.emplace_back(list.At(i)->record->Bytes().begin(), list.At(i)->record->Bytes().end());
    };
    std::vector<std::vector<std::uint8_t>> alone, first, second;
    convert(alone);
    std::thread a([&] { convert(first); });
    std::thread b([&] { convert(second); });
    a.join();
    b.join();
    ASSERT_EQ(alone.size(), 6u);
    EXPECT_EQ(first, alone);
    EXPECT_EQ(second, alone);
}

namespace {
struct BatchOutcome {
    BatchResult result;
    std::vector<std::vector<std::uint8_t>> records;
    std::vector<std::string> messages;
    std::vector<std::size_t> progress;
};

// threads 0: the sequential RunBatch.
BatchOutcome runPlan(const std::vector<Combination>& plan, bool high, unsigned threads,
                     const std::atomic<bool>* cancel = nullptr, std::atomic<bool>* cancelAfterSecond = nullptr) {
    ScriptedDocumentUi ui;
    CFontList list;
    list.New();
    BatchOutcome out;
    const auto progress = [&](std::size_t done, std::size_t) {
        out.progress.push_back(done);
        if (cancelAfterSecond && done == 2) cancelAfterSecond->store(true);
    };
    out.result = threads == 0 ? RunBatch(engine(), list, plan, high, cancel, progress)
                              : RunBatchOnThreads(engine(), list, plan, high, threads, cancel, progress);
    for (std::size_t i = 0; i < list.Count(); ++i)
        out.records.emplace_back(list.At(i)->record->Bytes().begin(), list.At(i)->record->Bytes().end());
    ui.Show(out.result.outcome);
    for (const auto& m : ui.messages) out.messages.push_back(m.text);
    return out;
}
}  // namespace

// The pool must hand the list exactly the records, messages and progress of the sequential loop,
// whatever the number of threads, including a batch that skips a font too large to keep.
TEST(ConvertWithDejaVu, ThreadPoolGivesTheSequentialBytes) {
    const FontCatalogEntry sans{"DejaVu Sans", "Western", 0, 0x22}, serif{"DejaVu Serif", "Western", 0, 0x12};
    struct Case {
        const char* what;
        std::vector<Combination> plan;
        bool high;
    };
    const Case cases[] = {
        {"two faces, high density", PlanBatch({sans, serif}, {7, 10, 13}, {FontStyle::Regular, FontStyle::BoldItalic}), true},
        {"single density", PlanBatch({sans}, {6, 9, 12, 16}, {FontStyle::Bold, FontStyle::Italic}), false},
        {"skips a record too large", PlanBatch({sans}, {9, 60, 12}, {FontStyle::Regular}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto sequential = runPlan(c.plan, c.high, 0);
        for (const unsigned threads : {1u, 2u, 3u, 8u}) {
            SCOPED_TRACE(threads);
            const auto pooled = runPlan(c.plan, c.high, threads);
            EXPECT_EQ(pooled.result.completed, sequential.result.completed);
            EXPECT_EQ(pooled.result.converted, sequential.result.converted);
            EXPECT_EQ(pooled.result.failure, sequential.result.failure);
            EXPECT_EQ(pooled.result.skipped, sequential.result.skipped);
            EXPECT_EQ(pooled.records, sequential.records);
            EXPECT_EQ(pooled.messages, sequential.messages);
            EXPECT_EQ(pooled.progress, sequential.progress);
        }
    }
    // The record too large is skipped without a message; the batch goes on past it.
    const auto skipping = runPlan(cases[2].plan, true, 0);
    EXPECT_TRUE(skipping.result.completed);
    EXPECT_EQ(skipping.result.converted, 2u);
    ASSERT_EQ(skipping.result.skipped.size(), 1u);
    EXPECT_EQ(skipping.result.skipped[0].rfind("DejaVu Sans Regular 60 pt: the record would be ", 0), 0u)
        << skipping.result.skipped[0];
    EXPECT_TRUE(skipping.messages.empty());
    EXPECT_EQ(skipping.progress, (std::vector<std::size_t>{1, 2, 3}));
}

// A batch draws a strike once where two of its fonts share it (a size's double-size strike is the
// single strike of twice the size); every record is still the one a batch of that font alone
// makes. The Light face has no bold or italic of its own, so those are drawn from its regular.
TEST(ConvertWithDejaVu, ThreadPoolSharingStrikesGivesTheBytesOfEachFontAlone) {
    const FontCatalogEntry sans{"DejaVu Sans", "Western", 0, 0x22}, light{"DejaVu Sans Light", "Western", 0, 0x22};
    const auto plan = PlanBatch({sans, light}, {6, 7, 10, 12, 14, 20},
                                {FontStyle::Regular, FontStyle::Bold, FontStyle::Italic, FontStyle::BoldItalic});
    for (const bool high : {true, false}) {
        SCOPED_TRACE(high);
        std::vector<std::vector<std::uint8_t>> alone;
        for (const auto& combination : plan) {
            const auto one = runPlan({combination}, high, 0);
            ASSERT_EQ(one.records.size(), 1u) << combination.font.faceName << " " << combination.size << " "
                                              << StyleName(combination.style) << ": " << one.result.failure
                                              << (one.result.skipped.empty() ? "" : one.result.skipped[0]);
            alone.push_back(one.records[0]);
        }
        EXPECT_EQ(runPlan(plan, high, 0).records, alone);
        EXPECT_EQ(runPlan(plan, high, 2).records, alone);
    }
}

// The converter's batch worker coordinating a pool: the records of the one-thread batch, one step
// notice per combination, then Finished.
TEST(ConvertWithDejaVu, BatchWorkerThreadPoolGivesTheSequentialBytes) {
    struct Notices final : BatchReceiver {
        std::mutex mutex;
        std::vector<BatchStatus> seen;
        void Post(const BatchNotice& notice) override {
            std::lock_guard lock(mutex);
            seen.push_back(notice.status);
        }
    };
    const auto plan = PlanBatch({{"DejaVu Sans", "Western", 0, 0x22}}, {7, 11, 60, 14}, {FontStyle::Regular, FontStyle::Bold});
    const auto sequential = runPlan(plan, true, 0);
    for (const unsigned threads : {1u, 2u, 4u}) {
        SCOPED_TRACE(threads);
        CFontList list;
        list.New();
        Notices notices;
        {
            BatchWorker worker(engine(), list, plan, true, notices, threads);
            worker.Start();
            worker.Wait();
            EXPECT_TRUE(worker.Result().completed);
            EXPECT_EQ(worker.Result().skipped, sequential.result.skipped);
        }
        std::vector<std::vector<std::uint8_t>> records;
        for (std::size_t i = 0; i < list.Count(); ++i)
            records.emplace_back(list.At(i)->record->Bytes().begin(), list.At(i)->record->Bytes().end());
        EXPECT_EQ(records, sequential.records);
        std::vector<BatchStatus> expected(plan.size(), BatchStatus::Step);
        expected.push_back(BatchStatus::Finished);
        EXPECT_EQ(notices.seen, expected);
    }
}

// Running out of memory anywhere in a pooled batch, on a worker or on the adding thread, ends
// the batch with a failure (or, where the allocation was not needed, lets it complete); it never
// ends the process.
TEST(ConvertWithDejaVu, ThreadPoolOutOfMemoryEndsTheBatchNotTheProcess) {
    const auto plan = PlanBatch({{"DejaVu Sans", "Western", 0, 0x22}}, {8, 9, 10}, {FontStyle::Regular});
    int failures = 0;
    for (std::uint64_t at = 1; at <= 40; ++at) {
        SCOPED_TRACE(at);
        qz_gen::FailAllocationAt(at);
        const auto outcome = runPlan(plan, false, 2);
        const bool failed = qz_gen::AllocationFailed();
        qz_gen::FailAllocationAt(0);
        if (!failed) break;
        ++failures;
        EXPECT_TRUE(outcome.result.completed || !outcome.result.failure.empty());
    }
    EXPECT_GE(failures, 3);  // at least each combination's own allocation
}

TEST(ConvertWithDejaVu, ThreadPoolCancelledAddsNothingFurther) {
    const auto plan = PlanBatch({{"DejaVu Sans", "Western", 0, 0x22}}, {8, 9, 10, 11, 12, 13},
                                {FontStyle::Regular, FontStyle::Bold});
    const auto sequential = runPlan(plan, false, 0);
    for (const unsigned threads : {2u, 4u}) {
        SCOPED_TRACE(threads);
        std::atomic<bool> cancel = false;
        const auto pooled = runPlan(plan, false, threads, &cancel, &cancel);
        EXPECT_TRUE(pooled.result.cancelled);
        EXPECT_FALSE(pooled.result.completed);
        EXPECT_EQ(pooled.result.converted, 2u);
        ASSERT_EQ(pooled.records.size(), 2u);
        EXPECT_EQ(pooled.records[0], sequential.records[0]);
        EXPECT_EQ(pooled.records[1], sequential.records[1]);
        std::atomic<bool> already = true;
        const auto none = runPlan(plan, false, threads, &already);
        EXPECT_TRUE(none.result.cancelled);
        EXPECT_TRUE(none.records.empty());
    }
}

namespace {
// A font of the engine read only by drawing: its masks hidden, as a font without them.
class DrawnOnly final : public gdi::Font {
public:
    explicit DrawnOnly(std::unique_ptr<gdi::Font> font) : font_(std::move(font)) {}
    gdi::TEXTMETRIC GetTextMetrics() const override { return font_->GetTextMetrics(); }
    bool GetCharWidth32(std::uint8_t ch, std::int32_t& width) override { return font_->GetCharWidth32(ch, width); }
    bool GetTextExtentPoint32(std::uint8_t ch, gdi::SIZE& size) override { return font_->GetTextExtentPoint32(ch, size); }
    bool GetCharABCWidths(std::uint8_t ch, gdi::ABC& abc) override { return font_->GetCharABCWidths(ch, abc); }
    bool TextOut(gdi::Bitmap& bitmap, int x, int y, std::uint8_t ch) override { return font_->TextOut(bitmap, x, y, ch); }

private:
    std::unique_ptr<gdi::Font> font_;
};
}  // namespace

// The engine's masks give the cells its drawing gives, for real and synthetic faces, in
// several character sets and at sizes whose accents rise past the ascent.
TEST(FreeTypeFontEngine, GlyphMasksGiveTheDrawnCells) {
    struct Case {
        const char* face;
        int height, weight;
        bool italic;
        std::uint8_t charSet;
    };
    const Case cases[] = {
        {"DejaVu Sans", -7, 400, false, gdi::ANSI_CHARSET},   {"DejaVu Sans", -13, 700, true, gdi::ANSI_CHARSET},
        {"DejaVu Sans", -26, 400, true, 204},                 {"DejaVu Serif", -11, 700, false, 161},
        {"DejaVu Serif", -48, 400, true, gdi::ANSI_CHARSET},  {"DejaVu Sans Mono", -9, 700, true, gdi::ANSI_CHARSET},
        {"DejaVu Sans", -3, 400, false, 238},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.height));
        auto masked = engine().CreateFontIndirect(makeLogFont(c.face, c.height, c.weight, c.italic, c.charSet));
        ASSERT_TRUE(masked);
        ASSERT_TRUE(masked->HasGlyphMasks());
        DrawnOnly drawn(engine().CreateFontIndirect(makeLogFont(c.face, c.height, c.weight, c.italic, c.charSet)));
        auto fromMasks = std::make_unique<GlyphCells>(), fromDrawing = std::make_unique<GlyphCells>();
        gdi::TEXTMETRIC m1, m2;
        ASSERT_TRUE(RenderStrike(*masked, *fromMasks, m1));
        ASSERT_TRUE(RenderStrike(drawn, *fromDrawing, m2));
        int present = 0;
        for (std::size_t ch = 0; ch < fromMasks->size(); ++ch) {
            const GlyphCell &a = (*fromMasks)[ch], &b = (*fromDrawing)[ch];
            present += a.Present();
            EXPECT_TRUE(a.width == b.width && a.height == b.height && a.leftPad == b.leftPad && a.rightPad == b.rightPad &&
                        a.baseline == b.baseline && a.inkAbove == b.inkAbove && a.inkBelow == b.inkBelow &&
                        a.bits == b.bits)
                << "character " << ch;
        }
        EXPECT_GT(present, 150);
    }
}

// What a screen's layout makes of a line is read without the glyph programs; it must still come
// to what drawing gives, within the pixel hinting moves each character by.
TEST(FreeTypeFontEngine, ScreenLineMeasuresAgreeWithTheDrawing) {
    const std::string text = "DejaVu Sans (Western)";
    for (const int height : {-9, -17, 20, -40}) {
        for (const char* face : {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"}) {
            SCOPED_TRACE(std::string(face) + " " + std::to_string(height));
            auto font = engine().CreateFontIndirect(makeLogFont(face, height, 400, false, 0));
            ASSERT_TRUE(font);
            DrawnOnly drawn(engine().CreateFontIndirect(makeLogFont(face, height, 400, false, 0)));
            const std::int32_t hinted = drawn.GetLineWidth(text);
            EXPECT_NEAR(font->GetLineWidth(text), hinted, static_cast<double>(text.size()));
            const gdi::Font::ScreenLine line = font->GetScreenLine(), ink = drawn.GetScreenLine();
            EXPECT_NEAR(line.xHeight, ink.xHeight, 1);
            EXPECT_GT(line.xHeight, 0);
            // DejaVu's horizontal header and Windows metrics agree; each side rounds its
            // ascender and descender out on its own.
            EXPECT_NEAR(line.height, ink.height, 2);
        }
    }
    // Synthetic bold widens every character by a pixel.
    auto regular = engine().CreateFontIndirect(makeLogFont("DejaVu Serif", -17, 400, false, 0));
    auto bold = engine().CreateFontIndirect(makeLogFont("DejaVu Serif", -17, 700, false, 0));
    ASSERT_TRUE(regular && bold);
    EXPECT_GE(bold->GetLineWidth("mmmm"), regular->GetLineWidth("mmmm") + 4);
    EXPECT_EQ(regular->GetLineWidth(""), 0);
}

// A walk over every installed face (the wizard's list measures each) keeps only a few open.
// typehold convert reads only the files FilesOfFamilies keeps for the families asked for: every
// installed face must be among those kept for its own family, in any case of letters, and the
// engine made for a family must list it as the engine of every face does.
TEST(InstalledFaces, EveryFaceIsKeptForItsFamily) {
    const auto files = gdi::FontconfigFiles();
    const auto faces = gdi::ScanFaces(files);
    ASSERT_FALSE(faces.empty());
    for (const auto& face : faces) {
        SCOPED_TRACE(face.file + " " + face.family);
        std::string shouted = face.family;
        std::transform(shouted.begin(), shouted.end(), shouted.begin(), [](unsigned char c) { return std::toupper(c); });
        const auto kept = gdi::FilesOfFamilies(files, {shouted});
        EXPECT_NE(std::find(kept.begin(), kept.end(), std::pair(face.file, face.index)), kept.end());
    }
    EXPECT_LT(gdi::FilesOfFamilies(files, {"DejaVu Serif"}).size(), files.size());
    EXPECT_TRUE(gdi::FilesOfFamilies(files, {"No Such Family"}).empty());

    gdi::FreeTypeFontEngine::Options serif;
    serif.families = {"dejavu serif"};
    gdi::FreeTypeFontEngine named(serif);
    std::vector<gdi::EnumeratedFont> expected;
    for (const auto& font : engine().EnumFontFamiliesEx())
        if (std::string(font.logFont.lfFaceName) == "DejaVu Serif") expected.push_back(font);
    std::vector<gdi::EnumeratedFont> listed;
    for (const auto& font : named.EnumFontFamiliesEx())
        if (std::string(font.logFont.lfFaceName) == "DejaVu Serif") listed.push_back(font);
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(std::memcmp(&listed[i].logFont, &expected[i].logFont, sizeof(gdi::LOGFONT)), 0);
        EXPECT_EQ(listed[i].script, expected[i].script);
    }
}

TEST(FacePool, KeepsTheMostRecentlyReturnedFacesOnly) {
    gdi::InstalledFace sans, serif;
    sans.file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    serif.file = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
    gdi::FacePool pool(0);
    std::vector<gdi::OpenFace> borrowed;
    for (std::size_t i = 0; i < gdi::FacePool::kMaxIdle + 5; ++i) {
        auto face = pool.Borrow(sans);
        ASSERT_TRUE(face) << "fonts-dejavu-core is not installed";
        borrowed.push_back(std::move(*face));
    }
    auto first = pool.Borrow(serif);
    ASSERT_TRUE(first);
    pool.Return(serif, std::move(*first));
    for (auto& face : borrowed) pool.Return(sans, std::move(face));
    EXPECT_EQ(pool.IdleCount(), gdi::FacePool::kMaxIdle);
    // The serif face was returned first, so it was closed; a sans face waits.
    auto again = pool.Borrow(serif);
    ASSERT_TRUE(again);
    EXPECT_EQ(pool.IdleCount(), gdi::FacePool::kMaxIdle);
    auto waiting = pool.Borrow(sans);
    ASSERT_TRUE(waiting);
    EXPECT_EQ(pool.IdleCount(), gdi::FacePool::kMaxIdle - 1);
    pool.Return(serif, std::move(*again));
    auto reused = pool.Borrow(serif);
    ASSERT_TRUE(reused);
    EXPECT_EQ(pool.IdleCount(), gdi::FacePool::kMaxIdle - 1);
}
