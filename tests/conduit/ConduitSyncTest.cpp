// Tests of the pictsync conduit inside real synchronisations: hotsync runs it against a handheld
// store and a sync folder in a temporary desktop root, and the tests read the log, the folder and
// the store.
#include "core/qz_fileio/PalmDb.h"
#include "platform/palmdesk/HandheldStore.h"
#include "platform/win/DesktopRoot.h"
#include "support/BmpBuilder.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {
constexpr std::uint32_t kDrAw = 0x44724177, kBpmf = 0x62706D66, kBpmc = 0x62706D63;

struct Desktop {
    Desktop() {
        EXPECT_EQ(hotsync("init").exitCode, 0);
        EXPECT_EQ(hotsync("user add Ann").exitCode, 0);
        EXPECT_EQ(hotsync(std::string("register ") + PICTSYNC_MODULE).exitCode, 0);
        win::MakeFolders(syncFolder());
        win::MakeFolders(root() + "/Windows");
    }
    ToolRun hotsync(const std::string& args) const { return runTool(HOTSYNC_BIN, args, dir.path()); }
    std::string root() const { return dir.path() + "/palmdesk"; }
    std::string syncFolder() const { return root() + "/drive_c/Pictaro"; }
    palmdesk::HandheldStore store() const { return palmdesk::HandheldStore(root() + "/Users/Ann/Handheld/card0"); }
    void settings(const std::string& ini) const {
        writeWholeFile(root() + "/Windows/Pictaro.ini", Bytes(ini.begin(), ini.end()));
    }
    // The log lines the conduit wrote in one synchronisation.
    std::vector<std::string> sync(const std::string& type = "") const {
        const ToolRun run = hotsync("sync --user Ann" + (type.empty() ? "" : " --type " + type));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::vector<std::string> lines;
        std::istringstream in(run.out);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("HotSync", 0) != 0) lines.push_back(line);
        return lines;
    }
    void putPicture(const std::string& name, std::uint32_t type, const Bytes& record, std::uint16_t tag = 12) const {
        qz_gen::CPalmDb db;
        db.SetName(name);
        db.Header().type = type;
        db.Header().creator = kDrAw;
        const Bytes info = {static_cast<std::uint8_t>(tag >> 8), static_cast<std::uint8_t>(tag),
                            static_cast<std::uint8_t>(record.size() >> 24), static_cast<std::uint8_t>(record.size() >> 16),
                            static_cast<std::uint8_t>(record.size() >> 8), static_cast<std::uint8_t>(record.size())};
        db.SetAppInfo(6, info.data());
        for (std::size_t at = 0; at < record.size(); at += 4096) {
            qz_gen::CDbRecord r;
            const std::size_t n = std::min<std::size_t>(4096, record.size() - at);
            r.SetData(static_cast<std::uint32_t>(n), record.data() + at);
            r.SetUniqueID(static_cast<std::uint32_t>(at / 4096 + 1));
            db.AddRecord(r);
        }
        db.SetLayoutFields();
        ASSERT_TRUE(store().Store(db));
    }
    void putFormat(std::uint8_t depth, std::int16_t maxWidth, std::int16_t maxHeight, std::uint16_t density,
                   std::uint32_t maxRaw) const {
        qz_gen::CPalmDb db;
        db.SetName("PictaroFormatDb");
        db.Header().type = 0x666D7464;
        db.Header().creator = kDrAw;
        const Bytes record = {0, 0, 0, depth, static_cast<std::uint8_t>(maxWidth >> 8), static_cast<std::uint8_t>(maxWidth),
                              static_cast<std::uint8_t>(maxHeight >> 8), static_cast<std::uint8_t>(maxHeight),
                              static_cast<std::uint8_t>(density >> 8), static_cast<std::uint8_t>(density),
                              static_cast<std::uint8_t>(maxRaw >> 24), static_cast<std::uint8_t>(maxRaw >> 16),
                              static_cast<std::uint8_t>(maxRaw >> 8), static_cast<std::uint8_t>(maxRaw), 1, 0};
        qz_gen::CDbRecord r;
        r.SetData(16, record.data());
        r.SetUniqueID(1);
        db.AddRecord(r);
        db.SetLayoutFields();
        ASSERT_TRUE(store().Store(db));
    }
    void putBmp(const std::string& name, int width, int height) const {
        BmpLayout s;
        s.width = width;
        s.height = height;
        s.bitCount = 24;
        s.pixels.assign((std::size_t(width) * 3 + 3) / 4 * 4 * std::size_t(height), 0x80);
        writeWholeFile(syncFolder() + "/" + name, buildBmp(s));
    }
    TempDir dir;
};

// A version-1 8-bit picture of width x 1 whose record is exactly size bytes.
Bytes pictureOfSize(std::size_t size) {
    Bytes r = {10, 1, static_cast<std::uint8_t>((size - 10) >> 8), static_cast<std::uint8_t>(size - 10), 0, 1, 8, 2, 0, 72};
    r.resize(size, 125);
    return r;
}
}  // namespace

TEST(PictsyncSync, FastSyncEndsWithTheUnionOfBothSidesAndThreeLines) {
    Desktop d;
    d.putFormat(16, 320, 320, 144, 1048576);
    d.putPicture("Sunset", kBpmf, pictureOfSize(40));
    d.putBmp("Moon.bmp", 20, 10);
    EXPECT_EQ(d.sync(), (std::vector<std::string>{"Pictaro: database successfully read from handheld.",
                                                  "Pictaro: database successfully created on handheld.",
                                                  "Pictaro: sync operation completed successfully."}));
    EXPECT_TRUE(fs::exists(d.syncFolder() + "/Sunset.bmp"));
    ASSERT_TRUE(d.store().Find("Moon"));
    EXPECT_EQ(d.store().Find("Moon")->type, kBpmc);
    EXPECT_EQ(d.store().Find("Sunset")->type, kBpmf);
    // Again: both pictures are read, none rewritten, nothing sent.
    const auto before = readWholeFile(d.syncFolder() + "/Sunset.bmp");
    EXPECT_EQ(d.sync(), (std::vector<std::string>{"Pictaro: database successfully read from handheld.",
                                                  "Pictaro: database successfully read from handheld.",
                                                  "Pictaro: sync operation completed successfully."}));
    EXPECT_EQ(readWholeFile(d.syncFolder() + "/Sunset.bmp"), before);
}

TEST(PictsyncSync, PicturesOf4096And4097BytesAndACorruptedTag) {
    Desktop d;
    d.putPicture("Exact", kBpmf, pictureOfSize(4096));
    d.putPicture("Longer", kBpmc, pictureOfSize(4097), 13);
    EXPECT_EQ(d.store().Find("Exact")->records, 1u);
    EXPECT_EQ(d.store().Find("Longer")->records, 2u);
    EXPECT_EQ(d.sync("hh"), (std::vector<std::string>{"Pictaro: database successfully read from handheld.",
                                                      "Pictaro: app info block is corrupted.",
                                                      "Pictaro: database successfully read from handheld.",
                                                      "Pictaro: sync operation completed successfully."}));
    EXPECT_TRUE(fs::exists(d.syncFolder() + "/Exact.bmp"));
    EXPECT_TRUE(fs::exists(d.syncFolder() + "/Longer.bmp"));
}

TEST(PictsyncSync, LimitsExchangeAndCarryOverAndRefusalsLeaveNothing) {
    Desktop d;
    d.settings("[Pictaro]\r\nAcceptedCompression=0\r\nAcceptedDensity=72\r\n");
    d.putFormat(8, 30, 100, 144, 100000);
    // Each fits one way round: whichever comes first leaves the limits exchanged for the other.
    d.putBmp("A.bmp", 60, 20);
    d.putBmp("B.bmp", 20, 60);
    auto lines = d.sync("pc");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Pictaro: database successfully created on handheld."), 2);
    fs::remove(d.syncFolder() + "/A.bmp");
    fs::remove(d.syncFolder() + "/B.bmp");
    d.putBmp("C.bmp", 200, 200);  // fits neither way: the line gives the limits of the second try
    lines = d.sync("pc");
    EXPECT_EQ(lines.front(), "Pictaro: Cannot download C.bmp file to handheld because the device supports 100 x 30 bitmaps "
                             "with maximum size of 100000 bytes of raw data");
    EXPECT_FALSE(d.store().Find("C"));
    ASSERT_TRUE(d.store().Find("A"));
    const auto db = d.store().Load("A");
    EXPECT_EQ(db->Header().type, kBpmf);
    const auto rec = db->RecordAt(0)->Bytes();
    EXPECT_EQ(rec[8] << 8 | rec[9], 72);  // density 72 forced by the setting
    EXPECT_EQ(rec[6], 8);                 // the device takes 8 bits at most
}

TEST(PictsyncSync, ReplaceTurnsBpmfIntoBpmcAndKeepsARefusedPicturesDatabase) {
    Desktop d;
    d.putPicture("Sunset", kBpmf, pictureOfSize(40));
    d.putPicture("Huge", kBpmf, pictureOfSize(40));
    d.putBmp("Sunset.bmp", 10, 10);
    d.putBmp("Huge.bmp", 5000, 2);
    const auto lines = d.sync("pc");
    EXPECT_EQ(d.store().Find("Sunset")->type, kBpmc);
    ASSERT_TRUE(d.store().Find("Huge"));  // refused, so the old picture stays
    EXPECT_EQ(d.store().Find("Huge")->type, kBpmf);
    EXPECT_EQ(lines.back(), "Pictaro: sync operation completed successfully.");
}

TEST(PictsyncSync, MissingFolderNoBitmapsAndTheOtherSyncTypes) {
    Desktop d;
    fs::remove_all(d.syncFolder());
    d.putPicture("Sunset", kBpmf, pictureOfSize(40));
    EXPECT_EQ(d.sync(), (std::vector<std::string>{"Pictaro: database successfully read from handheld.",
                                                  "Pictaro: sync operation completed successfully."}));
    EXPECT_FALSE(fs::exists(d.syncFolder()));
    d.putPicture("TTFonts_DB", 0x44415441, pictureOfSize(40));
    EXPECT_EQ(d.sync("slow"), std::vector<std::string>{});
    EXPECT_FALSE(d.store().Find("TTFonts_DB"));
    EXPECT_EQ(d.sync("nothing"), std::vector<std::string>{"DrAw configured to do nothing."});
}

TEST(PictsyncSync, HostileDatabaseNamesStayInsideTheSyncFolder) {
    Desktop d;
    d.settings("[Pictaro]\r\nAcceptedDensity=72\r\n");  // the one-row pictures keep their row
    for (const char* name : {"../x", "a/b", "new\nline", "..", "%41"}) d.putPicture(name, kBpmf, pictureOfSize(40));
    d.sync("hh");
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(d.syncFolder())) files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"%2541.bmp", "%2E.%2Fx.bmp", "%2E..bmp", "a%2Fb.bmp", "new%0Aline.bmp"}));
    EXPECT_FALSE(fs::exists(d.root() + "/drive_c/x.bmp"));
    // Sent back, the files keep their pictures' names.
    for (const char* name : {"../x", "a/b", "new\nline", "..", "%41"}) d.store().Remove(name);
    d.sync("pc");
    for (const char* name : {"../x", "a/b", "new\nline", "..", "%41"}) EXPECT_TRUE(d.store().Find(name)) << name;
}
