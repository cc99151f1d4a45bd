// Tests of the pictsync conduit inside real synchronisations: hotsync runs it against a handheld
// store and a sync folder in a temporary desktop root, and the tests read the log, the folder and
// the store.
#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/HandheldStore.h"
#include "platform/win/DesktopRoot.h"
#include "support/BmpBuilder.h"
#include "support/CraftedDatabases.h"
#include "support/PictureDatabases.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
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
        settings("[Pictaro]\r\n");
    }
    ToolRun hotsync(const std::string& args) const { return runTool(HOTSYNC_BIN, args, dir.path()); }
    std::string root() const { return dir.path() + "/palmdesk"; }
    std::string syncFolder() const { return root() + "/drive_c/Pictaro"; }
    palmdesk::HandheldStore store() const { return palmdesk::HandheldStore(root() + "/Users/Ann/Handheld/card0"); }
    // The settings file; the sync folder is the drive mapping's C:\Pictaro unless ini names one.
    void settings(std::string ini) const {
        if (ini.find("SyncDir=") == std::string::npos) ini += "SyncDir=C:\\Pictaro\r\n";
        writeWholeFile(root() + "/Windows/Pictaro.ini", Bytes(ini.begin(), ini.end()));
    }
    // The log lines the conduit wrote in one synchronisation. A synchronisation with problems
    // says so last and ends with status 1.
    std::vector<std::string> sync(const std::string& type = "") const {
        const ToolRun run = hotsync("sync --user Ann" + (type.empty() ? "" : " --type " + type));
        const bool problems = run.out.find("\nHotSync completed with ") != std::string::npos;
        EXPECT_EQ(run.exitCode, problems ? 1 : 0) << run.err;
        EXPECT_TRUE(problems || run.out.ends_with("\nHotSync completed.\n")) << run.out;
        std::vector<std::string> lines;
        std::istringstream in(run.out);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("HotSync", 0) != 0) lines.push_back(line);
        return lines;
    }
    void putPicture(const std::string& name, std::uint32_t type, const Bytes& record, std::uint16_t tag = 12,
                    std::optional<std::uint32_t> declared = std::nullopt) const {
        auto db = craftedPicture(name, type, record, tag, declared);
        ASSERT_TRUE(store().Store(*db));
    }
    void putDatabase(const std::string& name, std::uint32_t type, std::uint32_t creator, const Bytes& info,
                     const std::vector<Bytes>& records) const {
        auto db = craftedDatabase(name, type, creator, info, records);
        ASSERT_TRUE(store().Store(*db));
    }
    // The names in the sync folder and on the handheld, sorted.
    std::vector<std::string> files() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(syncFolder())) out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<std::string> databases() const {
        std::vector<std::string> out;
        for (const auto& db : store().List()) out.push_back(db.name);
        std::sort(out.begin(), out.end());
        return out;
    }
    void putFormat(std::uint8_t depth, std::int16_t maxWidth, std::int16_t maxHeight, std::uint16_t density,
                   std::uint32_t maxRaw) const {
        auto db = craftedFormat(depth, maxWidth, maxHeight, density, maxRaw);
        ASSERT_TRUE(store().Store(*db));
    }
    void putBmp(const std::string& name, int width, int height) const {
        writeWholeFile(syncFolder() + "/" + name, greyBmp(width, height));
    }
    TempDir dir;
};

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
    EXPECT_EQ(d.sync(), (std::vector<std::string>{"Pictaro: the sync folder " + d.syncFolder() +
                                                      " does not exist; no pictures are written to it.",
                                                  "Pictaro: database successfully read from handheld.",
                                                  "Pictaro: sync operation completed successfully."}));
    EXPECT_FALSE(fs::exists(d.syncFolder()));
    d.putPicture("TTFonts_DB", 0x44415441, pictureOfSize(40));
    EXPECT_EQ(d.sync("slow"), std::vector<std::string>{});
    EXPECT_FALSE(d.store().Find("TTFonts_DB"));
    EXPECT_EQ(d.sync("nothing"), std::vector<std::string>{"DrAw configured to do nothing."});
}

TEST(PictsyncSync, APictureThatCannotBeWrittenIsLoggedAndNothingIsWritten) {
    struct Case {
        const char* what;
        bool fileInPlace;
        const char* reason;
    };
    for (const Case& c : {Case{"no sync folder", false, "does not exist"},
                          Case{"a file in the folder's place", true, "is not a folder"}}) {
        SCOPED_TRACE(c.what);
        Desktop d;
        fs::remove_all(d.syncFolder());
        if (c.fileInPlace) writeWholeFile(d.syncFolder(), {1, 2, 3});
        d.putPicture("Sunset", kBpmf, pictureOfSize(40));
        // Said once, not once a picture.
        EXPECT_EQ(d.sync("hh"), (std::vector<std::string>{"Pictaro: the sync folder " + d.syncFolder() + " " + c.reason +
                                                              "; no pictures are written to it.",
                                                          "Pictaro: database successfully read from handheld.",
                                                          "Pictaro: sync operation completed successfully."}));
        if (c.fileInPlace) EXPECT_EQ(readWholeFile(d.syncFolder()), (Bytes{1, 2, 3}));
        else EXPECT_FALSE(fs::exists(d.syncFolder()));
    }
}

TEST(PictsyncSync, AnEmptyOrRelativeSyncFolderExchangesNothing) {
    for (const std::string dir : {"", "Pictaro", "C:Pictaro", "\\Pictaro"}) {
        SCOPED_TRACE(dir);
        Desktop d;
        d.settings("[Pictaro]\r\nSyncDir=" + dir + "\r\n");
        d.putPicture("PictsyncRootProbe", kBpmf, pictureOfSize(40));
        const auto databases = d.databases();
        for (const char* type : {"hh", "fast", "pc"})
            EXPECT_EQ(d.sync(type), (std::vector<std::string>{"Pictaro: the sync folder \"" + dir +
                                                                  "\" is not a full path; no pictures were exchanged.",
                                                              "Pictaro: sync operation completed successfully."}));
        EXPECT_EQ(d.databases(), databases);
        EXPECT_FALSE(fs::exists("/PictsyncRootProbe.bmp"));
        EXPECT_FALSE(fs::exists("PictsyncRootProbe.bmp"));
    }
}

TEST(PictsyncSync, UnreadableDatabasesAreSkippedWithinBoundedMemory) {
    Desktop d;
    const Bytes good = pictureOfSize(40);
    // A length of 1 GiB over one record; records that fall short of the length; no info block.
    d.putPicture("A huge", kBpmf, good, 12, 0x40000000);
    d.putDatabase("B short", kBpmf, kDrAw, {0, 12, 0, 0, 0x10, 0x04}, {Bytes(4096, 1), Bytes(2, 1)});
    d.putDatabase("C no info", kBpmf, kDrAw, {}, {good});
    d.putPicture("D good", kBpmf, good);
    // hotsync under an address-space limit far below the declared length (the sanitizers reserve
    // more address space than any limit allows, so there the limit is left out).
    std::string limit = "sh -c 'ulimit -v 393216 && exec \"$0\" \"$@\"' ";
#if defined(__SANITIZE_ADDRESS__)
    limit.clear();
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    limit.clear();
#endif
#endif
    const ToolRun run = runTool(limit + HOTSYNC_BIN, "sync --user Ann --type hh", d.dir.path());
    ASSERT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.out.find("Pictaro: failed to read record.\n"
                           "Pictaro: the picture \"A huge\" was not read: its info block gives 1073741824 bytes, more "
                           "than its 1 records hold.\n"
                           "Pictaro: failed to read record.\n"
                           "Pictaro: the picture \"B short\" was not read: record 1 holds 2 bytes, not 4.\n"
                           "Pictaro: failed to read app info block.\n"
                           "Pictaro: the picture \"C no info\" was not read: its info block cannot be read (it has "
                           "none).\n"
                           "Pictaro: database successfully read from handheld.\n"
                           "Pictaro: sync operation completed successfully.\n"
                           "HotSync completed with 3 problems (see the lines above).\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(d.files(), std::vector<std::string>{"D good.bmp"});
}
