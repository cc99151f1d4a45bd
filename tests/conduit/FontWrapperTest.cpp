// Tests of wrapping TrueType files for the handheld: the exact layout, the unique IDs, long
// titles, and what reaches the install queue.
#include "conduit/FontWrapper.h"

#include "conduit/ConduitMessages.h"
#include "platform/bytes/ByteOrder.h"
#include "support/FakeInstallQueue.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using Bytes = std::vector<std::uint8_t>;
using bytes::loadU16BE;
using bytes::loadU32BE;

TEST(WrapFont, LayoutOfFontsOf0And4096And10000Bytes) {
    struct Case {
        std::size_t size;
        std::vector<std::uint32_t> offsets;
        std::vector<std::uint16_t> lengths;
    };
    const Case cases[] = {
        {0, {86}, {0}},
        {4096, {94, 4198}, {4096, 0}},
        {10000, {102, 4206, 8310}, {4096, 4096, 1808}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        Bytes font(c.size);
        for (std::size_t i = 0; i < font.size(); ++i) font[i] = static_cast<std::uint8_t>(i * 7);
        const Bytes db = WrapFont(font, "Test.ttf");
        const std::size_t n = c.offsets.size();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(db.data())), "Test.ttf");
        EXPECT_EQ(loadU16BE(&db[32]), 0x0080);
        EXPECT_EQ(loadU32BE(&db[36]), 0xBAADFDCDu);
        EXPECT_EQ(loadU32BE(&db[40]), 0xBAADFDCEu);
        EXPECT_EQ(loadU32BE(&db[48]), 0x36u);
        EXPECT_EQ(loadU32BE(&db[60]), 0x7474666Eu);
        EXPECT_EQ(loadU32BE(&db[64]), 0x54544674u);
        EXPECT_EQ(loadU32BE(&db[68]), 0x6D502C20u);
        EXPECT_EQ(loadU16BE(&db[76]), n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t* entry = &db[78 + 8 * i];
            EXPECT_EQ(loadU32BE(entry), c.offsets[i]);
            EXPECT_EQ(entry[4], 0x40);
            EXPECT_EQ(entry[5], 0xD5);
            EXPECT_EQ(entry[6], 0x40);
            EXPECT_EQ(entry[7], i + 1);
            const std::uint8_t* block = &db[c.offsets[i]];
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(block), 4), "DBLK");
            EXPECT_EQ(loadU16BE(block + 4), 0);
            EXPECT_EQ(loadU16BE(block + 6), c.lengths[i]);
            EXPECT_TRUE(std::equal(block + 8, block + 8 + c.lengths[i], font.begin() + static_cast<std::ptrdiff_t>(i * 4096)));
        }
        EXPECT_EQ(db.size(), c.offsets.back() + 8 + c.lengths.back());
    }
}

TEST(WrapFont, UniqueIdsWrapAndLongTitlesAreCut) {
    const Bytes db = WrapFont(Bytes(255 * 4096 + 10, 1), "x.ttf");
    EXPECT_EQ(db[78 + 8 * 255 + 7], 0x00);  // the 256th record
    EXPECT_EQ(FontDatabaseName(std::string(31, 'a')), std::string(31, 'a'));
    // The title in the handheld's code page, cut where a character ends.
    EXPECT_EQ(FontDatabaseName("Cr\u00e8me.ttf"), "Cr\xE8me.ttf");
    EXPECT_EQ(FontDatabaseName(std::string(26, 'c') + "\u00e9\u00e9\u00e9\u00e9\u00e9.ttf"),
              std::string(26, 'c') + "\xE9.ttf");
    EXPECT_EQ(FontDatabaseName(std::string(15, 'm') + "\u660e\u671d.ttf"), std::string(15, 'm') + "%E6%98%8E.ttf");
    const std::string cut = FontDatabaseName(std::string(40, 'b') + ".ttf");
    EXPECT_EQ(cut.size(), 31u);
    EXPECT_EQ(cut.substr(27), ".ttf");
    const Bytes named = WrapFont(Bytes(), std::string(40, 'b') + ".ttf");
    EXPECT_EQ(named[31], 0);  // zero-terminated within 32 bytes
}

namespace {
std::vector<std::string> shown;
void record(const std::string& text, const std::string& caption) { shown.push_back(caption + "|" + text); }
}  // namespace

TEST(MakeFontDatabase, QueuesTheWrappedFileAndReportsAVanishedOne) {
    TempDir dir;
    FakeInstallQueue queue;
    const std::string font = dir.file("Fancy.ttf");
    writeWholeFile(font, Bytes(5000, 3));
    const auto previous = SetConduitMessageHandler(&record);
    shown.clear();
    MakeFontDatabase(dir.file("Gone.ttf"), "Ann", queue);
    EXPECT_TRUE(MakeFontDatabase(font, "Ann", queue));
    SetConduitMessageHandler(previous);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Not Existing|File \"" + dir.file("Gone.ttf") + "\" does not exists!");
    EXPECT_EQ(queue.names("Ann"), std::vector<std::string>{"Fancy.ttf.pdb"});
    EXPECT_EQ(queue.files["Ann"].at(0).bytes, WrapFont(Bytes(5000, 3), "Fancy.ttf"));
}

TEST(MakeFontDatabase, AFileTheQueueRefusesIsNotCountedAsQueued) {
    TempDir dir;
    FakeInstallQueue queue;
    queue.failAdds = true;
    writeWholeFile(dir.file("Fancy.ttf"), Bytes(100, 3));
    EXPECT_FALSE(MakeFontDatabase(dir.file("Fancy.ttf"), "Ann", queue));
    EXPECT_TRUE(queue.files.empty());
}

TEST(MakeFontDatabase, UnreadableFontsAndUncreatableOutputsNameTheirFiles) {
    TempDir dir;
    FakeInstallQueue queue;
    const std::string folder = dir.file("Folder.ttf");
    std::filesystem::create_directory(folder);
    // A title so long that the wrapped file cannot be written beside its temporary name.
    const std::string title = std::string(247, 'l') + ".ttf";
    writeWholeFile(dir.file(title), Bytes(100, 3));
    const auto previous = SetConduitMessageHandler(&record);
    shown.clear();
    MakeFontDatabase(folder, "Ann", queue);
    MakeFontDatabase(dir.file(title), "Ann", queue);
    SetConduitMessageHandler(previous);
    EXPECT_EQ(shown, (std::vector<std::string>{"Not Existing|File \"" + folder + "\" does not exists!",
                                               "Cannot create|Cannot create file \"" + title + ".pdb\""}));
    EXPECT_TRUE(queue.files.empty());
}
