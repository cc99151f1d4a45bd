// Tests of Install Fonts: the size of a file choice's name buffer, and wrapping and queueing the chosen
// files with the messages that say what happened.
#include "conduit/ConduitMessages.h"
#include "conduit/InstallFonts.h"
#include "support/FakeDesktopFolders.h"
#include "support/FakeInstallQueue.h"
#include "support/FakeSettingsFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> shown;
void recordMessage(const std::string& text, const std::string& caption) { shown.push_back(caption + "|" + text); }
}  // namespace

TEST(FontSelection, OneFileOrAFolderAndItsNames) {
    struct Case {
        const char* what;
        std::vector<std::string> paths;
        std::string buffer;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"one file", {"/f/A.ttf"}, "/f/A.ttf\0\0"s},
        {"two in a folder", {"/f/A.ttf", "/f/b.TTF"}, "/f\0A.ttf\0b.TTF\0\0"s},
        {"in the root", {"/A.ttf", "/b.ttf"}, "/\0A.ttf\0b.ttf\0\0"s},
        {"a common parent", {"/f/x/A.ttf", "/f/y/B.ttf"}, "/f\0x/A.ttf\0y/B.ttf\0\0"s},
        {"a folder that is a prefix of another", {"/f/A.ttf", "/fx/B.ttf"}, "/\0f/A.ttf\0fx/B.ttf\0\0"s},
        {"relative names", {"A.ttf", "d/B.ttf"}, ".\0A.ttf\0d/B.ttf\0\0"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FontSelectionBytes(c.paths), c.buffer.size());
    }
}

TEST(FontSelection, TheBufferHoldsThreeThousandBytes) {
    // One name of n characters fills n + 2 bytes.
    EXPECT_EQ(FontSelectionBytes({"/" + std::string(2997, 'a')}), kFontSelectionBufferSize);
    EXPECT_GT(FontSelectionBytes({"/" + std::string(2998, 'a')}), kFontSelectionBufferSize);
    // A folder and names: folder + 1, each name + 1, and the closing zero.
    std::vector<std::string> many;
    std::size_t bytes = 3 + 1;  // "/ff" and the closing zero
    while (bytes + 11 <= kFontSelectionBufferSize) {
        many.push_back("/ff/" + std::to_string(1000000 + many.size()) + ".ttf");  // 11-character names
        bytes += 12;
    }
    EXPECT_LE(FontSelectionBytes(many), kFontSelectionBufferSize);
    many.push_back("/ff/2000000.ttf");
    EXPECT_GT(FontSelectionBytes(many), kFontSelectionBufferSize);
}

TEST(FontSelection, TrueTypeNamesWithoutRegardToCase) {
    for (const char* yes : {"a.ttf", "B.TTF", "c.TtF", ".ttf"}) EXPECT_TRUE(IsTrueTypeFileName(yes)) << yes;
    for (const char* no : {"a.otf", "ttf", "a.ttf.bak", "attf", ""}) EXPECT_FALSE(IsTrueTypeFileName(no)) << no;
}

namespace {
class ScriptedChooser final : public FontFileChooser {
public:
    std::optional<std::vector<std::string>> choose(const std::string& folder) override {
        folders.push_back(folder);
        return answer;
    }
    std::optional<std::vector<std::string>> answer;
    std::vector<std::string> folders;
};
}  // namespace

TEST(InstallFonts, QueuesEachChosenFileInOrderAndGoesOnAfterAVanishedOne) {
    TempDir dir;
    FakeInstallQueue queue;
    FakeSettingsFile file;
    file.values["TTFontDirectory"] = "C:\\Fonts";
    for (const char* name : {"A.ttf", "C.TTF"}) writeWholeFile(dir.file(name), std::vector<std::uint8_t>(100, 7));
    ScriptedChooser chooser;
    chooser.answer = std::vector<std::string>{dir.file("A.ttf"), dir.file("Gone.ttf"), dir.file("C.TTF")};
    shown.clear();
    const auto previous = SetConduitMessageHandler(&recordMessage);
    InstallFonts(file, chooser, queue, "Ann", "", DesktopFoldersIn(dir.path()));
    SetConduitMessageHandler(previous);
    EXPECT_EQ(chooser.folders, std::vector<std::string>{dir.path() + "/drive_c/Fonts"});
    EXPECT_EQ(shown, (std::vector<std::string>{"Not Existing|File \"" + dir.file("Gone.ttf") + "\" does not exists!",
                                               "Install Fonts|2 fonts were queued for Ann's next HotSync:\nA.ttf\nC.TTF"}));
    EXPECT_EQ(queue.names("Ann"), (std::vector<std::string>{"A.ttf.pdb", "C.TTF.pdb"}));
}

TEST(InstallFonts, TooManyFilesOrCancelQueueNothing) {
    TempDir dir;
    FakeInstallQueue queue;
    const DesktopFolders desktop = DesktopFoldersIn(dir.path());
    writeWholeFile(dir.file("A.ttf"), std::vector<std::uint8_t>(10, 1));
    const FakeSettingsFile file;
    ScriptedChooser chooser;
    std::vector<std::string> many;
    for (int i = 0; i < 600; ++i) many.push_back(dir.file("A.ttf"));  // 6 bytes each
    struct Case {
        const char* what;
        std::optional<std::vector<std::string>> answer;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"cancelled", std::nullopt, {}},
        {"nothing chosen", std::vector<std::string>{}, {}},
        {"too many", many, {"|Too many files selected!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        chooser.answer = c.answer;
        shown.clear();
        const auto previous = SetConduitMessageHandler(&recordMessage);
        InstallFonts(file, chooser, queue, "Ann", "", desktop);
        SetConduitMessageHandler(previous);
        EXPECT_EQ(shown, c.messages);
        EXPECT_TRUE(queue.files.empty());
    }
    EXPECT_EQ(chooser.folders.front(), DefaultFontFolder(desktop));  // no TTFontDirectory: the desktop's own
}
