// Tests of pictconv: both directions, refusals with exit code 3, and nothing written on failure.
#include "support/BmpBuilder.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
ToolRun pictconv(const std::string& args, const TempDir& dir) { return runTool(PICTCONV_BIN, args, dir.path()); }

std::string whiteRedBmp(const TempDir& dir) {
    BmpLayout s;
    s.width = 2;
    s.height = 1;
    s.bitCount = 24;
    s.pixels = {255, 255, 255, 0, 0, 255, 0, 0};
    const auto path = dir.file("in.bmp");
    writeWholeFile(path, buildBmp(s));
    return path;
}
}  // namespace

TEST(Pictconv, EncodesWithTheDefaultDeviceAndDecodesBack) {
    TempDir dir;
    const auto bmp = whiteRedBmp(dir);
    ASSERT_EQ(pictconv("encode " + bmp + " -o " + dir.file("p.rec") + " --density 72", dir).exitCode, 0);
    const auto record = readWholeFile(dir.file("p.rec"));
    ASSERT_GE(record.size(), 32u);
    EXPECT_EQ(record[1], 2);    // compressed version 2
    EXPECT_EQ(record[6], 16);   // 16 bits from a 24-bit file
    ASSERT_EQ(pictconv("encode " + bmp + " -o " + dir.file("q.rec") + " --density 72 --depth 8 --no-compress", dir).exitCode, 0);
    EXPECT_EQ(readWholeFile(dir.file("q.rec")),
              (std::vector<std::uint8_t>{0x0A, 0x01, 0x00, 0x02, 0x00, 0x01, 0x08, 0x02, 0x00, 0x48, 0x00, 0x7D, 0x00, 0x00}));
    ASSERT_EQ(pictconv("decode " + dir.file("q.rec") + " -o " + dir.file("back.bmp"), dir).exitCode, 0);
    EXPECT_EQ(readWholeFile(dir.file("back.bmp")).size(), 62u);
}

TEST(Pictconv, RefusalsExitThreeNameTheLimitAndWriteNothing) {
    TempDir dir;
    const auto bmp = whiteRedBmp(dir);
    struct Case {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {"--density 72 --max-width 1", "wider than the handheld's maximum width of 1 pixels at density 72"},
        {"--density 72 --max-height 0", ""},
        {"", "no pixels are left after cutting the picture to even dimensions for density 144"},
        {"--density 72 --max-raw 3 --depth 8", "more pixel data than the maximum raw size of 3 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun run = pictconv("encode " + bmp + " -o " + dir.file("out.rec") + " " + c.args, dir);
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.rec")));
        if (c.message.empty()) {
            EXPECT_NE(run.exitCode, 0);  // a limit outside the accepted range
            continue;
        }
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_EQ(run.err, "pictconv: " + bmp + ": " + c.message + "\n");
    }
}

// Pictures past the loader's own size limits are still over a handheld limit, not unreadable; a
// file that is not a picture stays a failure.
TEST(Pictconv, HugePicturesAreRefusedByTheHandheldLimit) {
    TempDir dir;
    BmpLayout huge;
    huge.width = 5000;
    huge.height = 5000;
    writeWholeFile(dir.file("huge.bmp"), buildBmp(huge));  // the header alone: pixels are never read
    huge.width = 40000;
    huge.height = -2;
    writeWholeFile(dir.file("wide.bmp"), buildBmp(huge));
    writeWholeFile(dir.file("text.bmp"), std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'});
    struct Case {
        std::string file, args;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {"huge.bmp", "", 3, "wider than the handheld's maximum width of 4096 pixels at density 144"},
        {"huge.bmp", "--max-width 6000", 3, "taller than the handheld's maximum height of 4096 pixels at density 144"},
        {"huge.bmp", "--max-width 6000 --max-height 6000", 3,
         "more pixel data than the maximum raw size of 1048576 bytes"},
        {"wide.bmp", "--density 72", 3, "wider than the handheld's maximum width of 4096 pixels at density 72"},
        {"text.bmp", "", 1, "not a .bmp file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " " + c.args);
        const ToolRun run = pictconv("encode " + dir.file(c.file) + " -o " + dir.file("out.rec") + " " + c.args, dir);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.err.rfind("pictconv: " + dir.file(c.file) + ": " + c.message, 0), 0u) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.rec")));
    }
}

TEST(Pictconv, DecodeFailuresLeaveNoFileAndKeepAnExistingOne) {
    TempDir dir;
    writeWholeFile(dir.file("bad.rec"), {0x0A, 0x01, 0x00, 0x00});
    ToolRun run = pictconv("decode " + dir.file("bad.rec") + " -o " + dir.file("bad.bmp"), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.bmp")));

    writeWholeFile(dir.file("good.rec"), {0x0A, 0x01, 0x00, 0x01, 0x00, 0x01, 0x08, 0x02, 0x00, 0x48, 0x7D, 0, 0, 0});
    writeWholeFile(dir.file("old.bmp"), {1, 2, 3});
    run = pictconv("decode " + dir.file("good.rec") + " -o " + dir.file("old.bmp"), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(readWholeFile(dir.file("old.bmp")), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(pictconv("decode " + dir.file("good.rec") + " -o " + dir.file("old.bmp") + " --overwrite", dir).exitCode, 0);
    EXPECT_EQ(readWholeFile(dir.file("old.bmp")).size(), 58u);
}
