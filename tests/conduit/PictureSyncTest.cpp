// Tests of the conduit's picture passes in this process: the Sync API works on a handheld in
// memory, the log lines go to a fake log, and the settings are the test's own; only the sync
// folder is on disk.
#include "conduit/ConduitSettings.h"
#include "conduit/PictureSync.h"
#include "core/qz_fileio/PalmDb.h"
#include "support/BmpBuilder.h"
#include "support/CraftedDatabases.h"
#include "support/FakeHandheld.h"
#include "support/FakeHotSyncLog.h"
#include "support/PictureDatabases.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {
constexpr std::uint32_t kDrAw = 0x44724177, kBpmf = 0x62706D66, kBpmc = 0x62706D63;

struct Passes {
    Passes() {
        settings.syncDir = dir.path() + "/sync";
        fs::create_directories(settings.syncDir);
    }
    // The lines of the handheld-to-desktop passes, and of the desktop-to-handheld pass.
    std::vector<std::string> fetch(bool overwrite) {
        log.lines.clear();
        if (CheckSyncFolder(settings)) {
            FetchPictures(settings, kBpmf, overwrite);
            FetchPictures(settings, kBpmc, overwrite);
        }
        return log.lines;
    }
    std::vector<std::string> send(bool replace) {
        log.lines.clear();
        if (CheckSyncFolder(settings)) SendPictures(settings, replace);
        return log.lines;
    }
    void putDatabase(const std::string& name, std::uint32_t type, std::uint32_t creator, const Bytes& info,
                     const std::vector<Bytes>& records) {
        auto db = craftedDatabase(name, type, creator, info, records);
        ASSERT_TRUE(handheld.Store(*db));
    }
    void putPicture(const std::string& name, std::uint32_t type, const Bytes& record, std::uint16_t tag = 12) {
        auto db = craftedPicture(name, type, record, tag);
        ASSERT_TRUE(handheld.Store(*db));
    }
    void putFormat(std::uint8_t depth, std::int16_t maxWidth, std::int16_t maxHeight, std::uint16_t density,
                   std::uint32_t maxRaw) {
        auto db = craftedFormat(depth, maxWidth, maxHeight, density, maxRaw);
        ASSERT_TRUE(handheld.Store(*db));
    }
    void putBmp(const std::string& name, int width, int height) {
        writeWholeFile(settings.syncDir + "/" + name, greyBmp(width, height));
    }
    bool inFolder(const std::string& name) const { return fs::exists(settings.syncDir + "/" + name); }
    // A fast sync's lines: both fetches without overwriting, then the send.
    std::vector<std::string> fast() {
        std::vector<std::string> lines = fetch(false);
        const std::vector<std::string> sent = send(false);
        lines.insert(lines.end(), sent.begin(), sent.end());
        return lines;
    }
    // The names in the sync folder and on the handheld, sorted.
    std::vector<std::string> files() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(settings.syncDir)) out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<std::string> databases() const {
        std::vector<std::string> out;
        for (const auto& db : handheld.List()) out.push_back(db.name);
        std::sort(out.begin(), out.end());
        return out;
    }

    FakeHandheld handheld;
    FakeHotSyncLog log;
    TempDir dir;
    PictaroSettings settings;
};

}  // namespace

TEST(PictureSync, PicturesOf4096And4097BytesAndACorruptedTag) {
    Passes p;
    p.putPicture("Exact", kBpmf, pictureOfSize(4096));
    p.putPicture("Longer", kBpmc, pictureOfSize(4097), 13);
    EXPECT_EQ(p.handheld.Find("Exact")->records, 1u);
    EXPECT_EQ(p.handheld.Find("Longer")->records, 2u);
    EXPECT_EQ(p.fetch(true), (std::vector<std::string>{"Pictaro: database successfully read from handheld.",
                                                       "Pictaro: app info block is corrupted.",
                                                       "Pictaro: the picture \"Longer\" has the info block tag 13, not 12; it is read all the same.",
                                                       "Pictaro: database successfully read from handheld."}));
    EXPECT_TRUE(p.inFolder("Exact.bmp"));
    EXPECT_TRUE(p.inFolder("Longer.bmp"));
}

TEST(PictureSync, HostileDatabaseNamesStayInsideTheSyncFolder) {
    Passes p;
    p.settings.acceptedDensity = 72;  // the one-row pictures keep their row
    for (const char* name : {"../x", "a/b", "new\nline", "..", "%41"}) p.putPicture(name, kBpmf, pictureOfSize(40));
    p.fetch(true);
    EXPECT_EQ(p.files(), (std::vector<std::string>{"%2E..bmp", "%41.bmp", "..%2Fx.bmp", "a%2Fb.bmp", "new%0Aline.bmp"}));
    EXPECT_FALSE(fs::exists(p.dir.path() + "/x.bmp"));
    // Sent back, the files keep their pictures' names.
    for (const char* name : {"../x", "a/b", "new\nline", "..", "%41"}) p.handheld.Remove(name);
    p.handheld.FinishRemovals();
    p.send(true);
    for (const char* name : {"../x", "a/b", "new\nline", "..", "%41"}) EXPECT_TRUE(p.handheld.Find(name)) << name;
}

TEST(PictureSync, NamesRoundTripBothWaysWithoutExtraFiles) {
    Passes p;
    p.settings.acceptedDensity = 72;  // the one-row pictures keep their row
    // Handheld names are bytes of Windows-1252: 0xE9 is "é", 0xFF "ÿ", and 0x81 has no character.
    const std::vector<std::string> handheld = {"100% sure", "50%2F50", "a/b", "Caf\xE9", "Sm\xFF", "x\x81y", ".hidden"};
    for (const auto& name : handheld) p.putPicture(name, kBpmf, pictureOfSize(40));
    const std::string a31(31, 'a'), b32(32, 'b'), c40(40, 'c'), shared(31, 'd');
    const std::vector<std::string> desktop = {"My%20Photo.bmp", ".dotfile.bmp", "Photo.BMP", a31 + ".bmp",
                                              b32 + ".bmp", c40 + ".bmp", shared + "-first.bmp", shared + "-second.bmp",
                                              "Cr\u00e8me br\u00fbl\u00e9e.bmp", "\u65e5\u672c.bmp"};
    for (const auto& file : desktop) p.putBmp(file, 4, 4);

    std::vector<std::string> files = desktop;
    files.insert(files.end(), {"100% sure.bmp", "50%252F50.bmp", "a%2Fb.bmp", "Caf\u00e9.bmp", "Sm\u00ff.bmp",
                               "x%81y.bmp", ".hidden.bmp"});
    std::sort(files.begin(), files.end());
    std::vector<std::string> databases = handheld;
    databases.insert(databases.end(), {"My%20Photo", ".dotfile", "Photo", a31, b32.substr(0, 31), c40.substr(0, 31),
                                       shared, "Cr\xE8me br\xFBl\xE9" "e", "%E6%97%A5%E6%9C%AC"});
    std::sort(databases.begin(), databases.end());
    const std::string skipped = "Pictaro: " + shared + "-second.bmp is not sent to handheld because " + shared +
                                "-first.bmp already has its name \"" + shared + "\".";

    // Two fast syncs, then each side overwriting the other.
    const std::vector<std::pair<const char*, std::function<std::vector<std::string>()>>> syncs = {
        {"fast", [&] { return p.fast(); }},
        {"fast", [&] { return p.fast(); }},
        {"hh", [&] { return p.fetch(true); }},
        {"pc", [&] { return p.send(true); }},
    };
    for (const auto& [type, sync] : syncs) {
        SCOPED_TRACE(type);
        const auto lines = sync();
        p.handheld.FinishRemovals();
        EXPECT_EQ(p.files(), files);
        EXPECT_EQ(p.databases(), databases);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), skipped), std::string(type) == "hh" ? 0 : 1);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("failed") != l.npos; }), 0);
    }
}

TEST(PictureSync, LimitsExchangeAndCarryOverAndRefusalsLeaveNothing) {
    Passes p;
    p.settings.acceptedCompression = 0;
    p.settings.acceptedDensity = 72;
    p.putFormat(8, 30, 100, 144, 100000);
    // Each fits one way round: whichever comes first leaves the limits exchanged for the other.
    p.putBmp("A.bmp", 60, 20);
    p.putBmp("B.bmp", 20, 60);
    auto lines = p.send(true);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Pictaro: database successfully created on handheld."), 2);
    fs::remove(p.settings.syncDir + "/A.bmp");
    fs::remove(p.settings.syncDir + "/B.bmp");
    p.putBmp("C.bmp", 200, 200);  // fits neither way: the line gives the limits of the second try
    lines = p.send(true);
    EXPECT_EQ(lines.front(), "Pictaro: Cannot download C.bmp file to handheld because the device supports 100 x 30 bitmaps "
                             "with maximum size of 100000 bytes of raw data");
    EXPECT_FALSE(p.handheld.Find("C"));
    ASSERT_TRUE(p.handheld.Find("A"));
    const auto db = p.handheld.Load("A");
    EXPECT_EQ(db->Header().type, kBpmf);
    const auto rec = db->RecordAt(0)->Bytes();
    EXPECT_EQ(rec[8] << 8 | rec[9], 72);  // density 72 forced by the setting
    EXPECT_EQ(rec[6], 8);                 // the device takes 8 bits at most
}

TEST(PictureSync, DesktopOverwritesReplacesOnlyPictureDatabases) {
    Passes p;
    p.putFormat(16, 320, 320, 144, 1048576);
    p.putDatabase("AddressDB", 0x44415441, 0x61646472, {}, {Bytes{'A', 'n', 'n'}});  // DATA, addr
    p.putDatabase("Memo", kBpmf, 0x6D656D6F, {}, {Bytes{'m'}});                     // a bpmf of another creator
    p.putPicture("Sunset", kBpmf, pictureOfSize(40));
    const auto format = p.handheld.databases.at("PictaroFormatDb");
    const auto address = p.handheld.databases.at("AddressDB");
    for (const char* file : {"AddressDB.bmp", "Memo.bmp", "PictaroFormatDb.bmp", "Sunset.bmp"}) p.putBmp(file, 10, 10);
    const auto notPicture = [](const std::string& name) {
        return "Pictaro: " + name + ".bmp is not sent: \"" + name + "\" is the name of a database that is no picture.";
    };
    EXPECT_EQ(p.send(true), (std::vector<std::string>{"Pictaro: failed to create database on handheld.",
                                                      notPicture("AddressDB"),
                                                      "Pictaro: failed to create database on handheld.",
                                                      notPicture("Memo"),
                                                      "Pictaro: failed to create database on handheld.",
                                                      notPicture("PictaroFormatDb"),
                                                      "Pictaro: database successfully created on handheld."}));
    EXPECT_EQ(p.handheld.databases.at("PictaroFormatDb"), format);
    EXPECT_EQ(p.handheld.databases.at("AddressDB"), address);
    EXPECT_EQ(p.handheld.Find("Memo")->creator, 0x6D656D6Fu);
    EXPECT_EQ(p.handheld.Find("Sunset")->type, kBpmc);
}

TEST(PictureSync, AFullHandheldKeepsTheOldPictureAndSaysSo) {
    Passes p;
    p.putPicture("Sunset", kBpmf, pictureOfSize(40));
    const auto old = p.handheld.databases.at("Sunset");
    p.putBmp("Sunset.bmp", 10, 10);
    p.putBmp("Moon.bmp", 10, 10);
    p.handheld.failStores = true;
    EXPECT_EQ(p.send(true),
              (std::vector<std::string>{"Pictaro: failed to create database on handheld.",
                                        "Pictaro: Moon.bmp is not on the handheld: the database \"Moon\" cannot be stored "
                                        "(the handheld is full).",
                                        "Pictaro: failed to create database on handheld.",
                                        "Pictaro: Sunset.bmp is not on the handheld: the database \"Sunset\" cannot be stored "
                                        "(the handheld is full); the old one stays."}));
    EXPECT_FALSE(p.handheld.Find("Moon"));
    EXPECT_EQ(p.handheld.databases.at("Sunset"), old);
}

TEST(PictureSync, SentPicturesOf4096And4097BytesTakeOneAndTwoRecords) {
    struct Case {
        int width, height;
        bool twoColours;  // two distinct pixels at the top left add a literal of 3 bytes
        std::uint32_t length;
        std::vector<std::uint32_t> records;
    };
    // Uniform 8-bit rows compress to 2 bytes per 127 pixels after the 32-byte header.
    for (const Case& c : {Case{500, 516, false, 4096, {4096}}, Case{320, 806, true, 4097, {4096, 1}}}) {
        SCOPED_TRACE(c.length);
        Passes p;
        p.settings.acceptedDepth = 8;
        p.settings.acceptedDensity = 72;
        BmpLayout s;
        s.width = c.width;
        s.height = c.height;
        s.bitCount = 24;
        s.pixels.assign(std::size_t(c.width) * 3 * std::size_t(c.height), 0x80);
        if (c.twoColours) {
            std::uint8_t* top = &s.pixels[std::size_t(c.width) * 3 * std::size_t(c.height - 1)];
            top[2] = 0xFF;  // red, then blue
            top[3] = 0xFF;
        }
        writeWholeFile(p.settings.syncDir + "/Edge.bmp", buildBmp(s));
        EXPECT_EQ(p.send(true).front(), "Pictaro: database successfully created on handheld.");
        const auto db = p.handheld.Load("Edge");
        ASSERT_TRUE(db);
        const auto info = db->AppInfo();
        ASSERT_EQ(info.size(), 6u);
        EXPECT_EQ(std::uint32_t(info[2]) << 24 | info[3] << 16 | info[4] << 8 | info[5], c.length);
        std::vector<std::uint32_t> records;
        for (std::uint32_t slot = 0; slot < db->UsedLength(); ++slot)
            if (const auto* r = db->RecordAt(slot)) records.push_back(r->GetLength());
        EXPECT_EQ(records, c.records);
        // And back: the picture is read whole.
        EXPECT_EQ(p.fetch(true).front(), "Pictaro: database successfully read from handheld.");
    }
}

TEST(PictureSync, APictureThatCannotBeSentIsNamedWithTheReadersReason) {
    Passes p;
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    Bytes pngFile = png;
    pngFile.resize(200, 0);  // a whole header's worth
    writeWholeFile(p.settings.syncDir + "/Png.bmp", pngFile);
    writeWholeFile(p.settings.syncDir + "/Empty.bmp", {});
    p.putBmp("Cut.bmp", 40, 40);
    auto cut = readWholeFile(p.settings.syncDir + "/Cut.bmp");
    cut.resize(cut.size() / 2);
    writeWholeFile(p.settings.syncDir + "/Cut.bmp", cut);
    const auto lines = p.send(true);
    std::vector<std::string> ours;
    for (const auto& line : lines)
        if (line.find(" is not sent: ") != std::string::npos) ours.push_back(line);
    EXPECT_EQ(ours, (std::vector<std::string>{
                        "Pictaro: Cut.bmp is not sent: it is not a picture the conduit reads: the pixel rows are cut short.",
                        "Pictaro: Empty.bmp is not sent: the file is empty.",
                        "Pictaro: Png.bmp is not sent: it is a PNG picture, not a .bmp file.",
                    }));
    // Each beside the line that gives the limits.
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("Pictaro: Cannot download"); }), 3);
    EXPECT_TRUE(p.handheld.databases.empty());
}

TEST(PictureSync, AnUnreadableFormatRecordIsNamedAndTheDefaultsApply) {
    Passes p;
    // A format record of 20 bytes does not fit the 16 the conduit reads.
    p.putDatabase("PictaroFormatDb", 0x666D7464, kDrAw, {}, {Bytes(20, 0)});
    p.putBmp("Wide.bmp", 4000, 2);  // within the default limits only
    EXPECT_EQ(p.send(true), (std::vector<std::string>{
                                "Pictaro: failed to read record from format db.",
                                "Pictaro: the device format in \"PictaroFormatDb\" cannot be read (its record is longer "
                                "than 16 bytes); the default limits apply.",
                                "Pictaro: database successfully created on handheld."}));
}

TEST(PictureSync, HandheldOverwritesKeepsModesLinksAndReadOnlyFiles) {
    Passes d;
    d.settings.acceptedDensity = 72;
    for (const char* name : {"Shared", "Locked", "Linked"}) d.putPicture(name, kBpmf, pictureOfSize(40));
    for (const char* name : {"Shared.bmp", "Locked.bmp"}) d.putBmp(name, 2, 2);
    fs::create_directory(d.settings.syncDir + "/real");
    d.putBmp("real/Linked.bmp", 2, 2);
    fs::create_symlink("real/Linked.bmp", d.settings.syncDir + "/Linked.bmp");
    fs::permissions(d.settings.syncDir + "/Shared.bmp", fs::perms(0640));
    fs::permissions(d.settings.syncDir + "/Locked.bmp", fs::perms(0444));
    const auto locked = readWholeFile(d.settings.syncDir + "/Locked.bmp");
    const auto oldLinked = readWholeFile(d.settings.syncDir + "/real/Linked.bmp");

    const auto lines = d.fetch(true);
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "Pictaro: Locked.bmp is read-only; the picture \"Locked\" does not replace it."), 1);
    EXPECT_EQ(readWholeFile(d.settings.syncDir + "/Locked.bmp"), locked);
    EXPECT_EQ(fs::status(d.settings.syncDir + "/Shared.bmp").permissions(), fs::perms(0640));
    EXPECT_NE(readWholeFile(d.settings.syncDir + "/Shared.bmp").size(), locked.size());  // the 38-pixel picture
    EXPECT_TRUE(fs::is_symlink(d.settings.syncDir + "/Linked.bmp"));
    EXPECT_NE(readWholeFile(d.settings.syncDir + "/real/Linked.bmp"), oldLinked);
}

TEST(PictureSync, APictureDatabaseWithoutTheGapIsFetchedAsAnyOther) {
    Passes d;
    d.settings.acceptedDensity = 72;
    d.putPicture("Plain", kBpmf, pictureOfSize(60));
    d.putPicture("Gapless", kBpmf, pictureOfSize(60));
    // Gapless rewritten as a writer without the gap leaves it.
    d.handheld.databases.at("Gapless") = withoutGap(*d.handheld.Load("Gapless"));
    EXPECT_EQ(d.fetch(true), (std::vector<std::string>{"Pictaro: database successfully read from handheld.",
                                                       "Pictaro: database successfully read from handheld."}));
    EXPECT_EQ(readWholeFile(d.settings.syncDir + "/Gapless.bmp"), readWholeFile(d.settings.syncDir + "/Plain.bmp"));
}

TEST(PictureSync, PicturesSentTogetherGetTheRecordsEachGetsAlone) {
    // More pictures than are encoded ahead of the pass, with a refused one, one that does not
    // read and one whose name another takes among them.
    const auto putPicture = [](const Passes& d, const std::string& file, int i) {
        BmpLayout s;
        s.width = 10 + 7 * i;
        s.height = 5 + 3 * i;
        s.bitCount = 24;
        const std::size_t stride = (std::size_t(s.width) * 3 + 3) / 4 * 4;
        s.pixels.assign(stride * std::size_t(s.height), 0);
        for (std::size_t at = 0; at < s.pixels.size(); ++at) s.pixels[at] = static_cast<std::uint8_t>(at / 5 * (i + 1));
        writeWholeFile(d.settings.syncDir + "/" + file, buildBmp(s));
    };
    const std::vector<std::string> names = {"P0", "P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8"};
    Passes together;
    for (int i = 0; i < static_cast<int>(names.size()); ++i) putPicture(together, names[i] + ".bmp", i);
    together.putBmp("P30.bmp", 5000, 2);  // wider than the handheld takes either way round
    writeWholeFile(together.settings.syncDir + "/P31.bmp", Bytes(100, 0x42));
    putPicture(together, "P4.BMP", 1);    // takes the name from P4.bmp, which comes after it
    const auto lines = together.send(true);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Pictaro: database successfully created on handheld."),
              static_cast<std::ptrdiff_t>(names.size()));
    EXPECT_FALSE(together.handheld.Find("P30"));
    EXPECT_FALSE(together.handheld.Find("P31"));
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        SCOPED_TRACE(names[i]);
        Passes alone;
        putPicture(alone, names[i] + ".bmp", names[i] == "P4" ? 1 : i);
        alone.send(true);
        const auto a = together.handheld.Load(names[i]);
        const auto b = alone.handheld.Load(names[i]);
        ASSERT_TRUE(a && b);
        EXPECT_TRUE(std::ranges::equal(a->AppInfo(), b->AppInfo()));
        ASSERT_EQ(a->LiveCount(), b->LiveCount());
        for (std::uint32_t slot = 0; slot < a->UsedLength(); ++slot)
            EXPECT_TRUE(std::ranges::equal(a->RecordAt(slot)->Bytes(), b->RecordAt(slot)->Bytes()));
    }
}
