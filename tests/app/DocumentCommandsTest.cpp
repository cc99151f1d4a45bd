// Tests of the main window's document commands, the recent-file list and the message-box icon
// rule, without windows: a scripted DocumentUi answers the document's questions and a scripted
// host the Open dialog.
#include "app/DocumentCommands.h"

#include "app/ConsoleCodePage.h"

#include "app/MessageBoxStyle.h"
#include "app/RecentFileList.h"
#include "app/RegistryStore.h"
#include "core/FontDoc.h"
#include "platform/win/MessageBoxTypes.h"
#include "support/DesktopSandbox.h"
#include "support/SampleFonts.h"
#include "support/ScriptedDocumentUi.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

namespace {
struct ScriptedHost final : DocumentHost {
    std::optional<std::string> AskOpenPath() override {
        ++openDialogs;
        if (openAnswers.empty()) return std::nullopt;
        auto answer = openAnswers.front();
        openAnswers.pop_front();
        return answer;
    }
    void SetDocument(CFontDoc* document) override { shown = document; }
    void SetCaption(const std::string& text) override { captions.push_back(text); }
    void RefreshCommandStates() override {}
    void Beep() override { ++beeps; }

    std::deque<std::optional<std::string>> openAnswers;
    int openDialogs = 0;
    CFontDoc* shown = nullptr;
    std::vector<std::string> captions;
    int beeps = 0;
};

// A Typehold file of count fonts named name0, name1, ...
void writeTypehold(const std::string& path, int count, const std::string& name = "F") {
    CFontList list;
    ASSERT_TRUE(list.New());
    for (int i = 0; i < count; ++i) ASSERT_GE(list.AddConverted(tinyFont(false, name + std::to_string(i))), 0);
    ASSERT_TRUE(list.Save(path).Ok());
}

struct Commands {
    DesktopSandbox sandbox;
    RegistryStore store{"Corvane", "Typehold"};
    RecentFileList recent{store};
    ScriptedDocumentUi ui;
    ScriptedHost host;
    DocumentCommands commands{ui, host, recent};

    Commands() { EXPECT_TRUE(ui.Show(commands.NewDocument())); }
    std::string file(const std::string& name) const { return sandbox.file(name); }
    std::vector<std::string> stored() {
        RecentFileList fresh(store);
        fresh.Read();
        return fresh.NewestFirst();
    }
    void modify() {
        ASSERT_GE(commands.Current()->Fonts().AddConverted(tinyFont(false, "New")), 0);
        commands.Current()->MarkModified(true);
    }
};

const std::string kSaveChanges = "Save changes to ";
}  // namespace

TEST(RecentFileList, StoredCountIsClampedToTwoThroughSixteen) {
    const struct {
        std::optional<std::uint32_t> stored;
        std::size_t expected;
    } cases[] = {{std::nullopt, 4}, {0, 2}, {1, 2}, {2, 2}, {7, 7}, {16, 16}, {40, 16}, {0xFFFFFFFF, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? std::to_string(*c.stored) : "none");
        DesktopSandbox sandbox;
        RegistryStore store("Corvane", "Typehold");
        if (c.stored) {
            ASSERT_TRUE(store.OpenSection("Recent Document List"));
            store.SetDword("DocumentCount", *c.stored);
            store.CloseSection();
        }
        RecentFileList list(store);
        list.Read();
        EXPECT_EQ(list.MaxSize(), c.expected);
        for (int i = 0; i < 20; ++i) list.Add("/f" + std::to_string(i));
        EXPECT_EQ(list.Size(), c.expected);
        EXPECT_EQ(list.NewestAt(0), "/f19");
    }
}

TEST(RecentFileList, KeepsNewestFirstDropsDuplicatesAndDeletesStaleValues) {
    DesktopSandbox sandbox;
    RegistryStore store("Corvane", "Typehold");
    ASSERT_TRUE(store.OpenSection("Recent Document List"));
    for (int i = 1; i <= 15; ++i) store.SetSectionString("Document" + std::to_string(i), "/stale" + std::to_string(i));
    store.SetSectionString("Document2", std::string(300, 'x'));  // longer than a path may be
    store.CloseSection();

    RecentFileList list(store);
    list.Read();
    EXPECT_EQ(list.NewestFirst(), (std::vector<std::string>{"/stale1", "/stale3", "/stale4"}));
    list.Add("/STALE3");  // another file: paths tell case apart
    list.Add("/stale3");  // the same path moves to the top
    EXPECT_EQ(list.NewestFirst(), (std::vector<std::string>{"/stale3", "/STALE3", "/stale1", "/stale4"}));
    list.Remove("/stale1");
    list.Write();

    ASSERT_TRUE(store.OpenSection("Recent Document List"));
    std::string text;
    std::uint32_t count = 0;
    EXPECT_TRUE(store.GetDword("DocumentCount", count));
    EXPECT_EQ(count, 4u);
    EXPECT_TRUE(store.GetSectionString("Document1", text, 260));
    EXPECT_EQ(text, "/stale3");
    EXPECT_TRUE(store.GetSectionString("Document2", text, 260));
    EXPECT_EQ(text, "/STALE3");
    EXPECT_TRUE(store.GetSectionString("Document3", text, 260));
    EXPECT_EQ(text, "/stale4");
    for (int i = 4; i <= 15; ++i) EXPECT_FALSE(store.GetSectionString("Document" + std::to_string(i), text, 260)) << i;
    store.CloseSection();
}

// Paths are compared as the file system compares them: another spelling of the open file does
// nothing, a name that differs only in case is another file.
TEST(DocumentCommands, OpeningTheOpenFileAgainDoesNothing) {
    const struct {
        const char* what;
        const char* path;  // in the sandbox
        bool sameFile;
    } cases[] = {
        {"the same path", "fonts.pdb", true},
        {"through ./", "./fonts.pdb", true},
        {"through a link", "link.pdb", true},
        {"other case", "FONTS.pdb", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Commands d;
        writeTypehold(d.file("fonts.pdb"), 2);
        writeTypehold(d.file("FONTS.pdb"), 1);
        std::filesystem::create_symlink("fonts.pdb", d.file("link.pdb"));
        ASSERT_TRUE(d.ui.Show(d.commands.OpenDocumentFile(d.file("fonts.pdb"))));
        CFontDoc* first = d.commands.Current();
        d.host.openAnswers.push_back(d.file(c.path));
        EXPECT_TRUE(d.ui.Show(d.commands.OpenDocumentFile(std::nullopt)));
        EXPECT_EQ(d.commands.Current() == first, c.sameFile);
        EXPECT_EQ(d.commands.Current()->Fonts().Count(), c.sameFile ? 2u : 1u);
        EXPECT_TRUE(d.ui.messages.empty());
    }
}

TEST(DocumentCommands, SavePromptComesOnlyAfterTheNewFileWasRead) {
    Commands c;
    c.modify();
    CFontDoc* old = c.commands.Current();
    std::ofstream(c.file("notes.txt")) << "not a database";
    c.host.openAnswers.push_back(c.file("notes.txt"));
    EXPECT_FALSE(c.ui.Show(c.commands.OpenDocumentFile(std::nullopt)));
    ASSERT_EQ(c.ui.messages.size(), 1u);  // the load's own message, no save prompt
    EXPECT_EQ(c.ui.messages[0].text.rfind(kSaveChanges, 0), std::string::npos);
    EXPECT_EQ(c.commands.Current(), old);

    // A readable file: the prompt now; Cancel keeps the old document and still counts as success.
    writeTypehold(c.file("b.pdb"), 1);
    c.ui.messages.clear();
    c.ui.answers = {win::IDCANCEL};
    c.host.openAnswers.push_back(c.file("b.pdb"));
    EXPECT_TRUE(c.ui.Show(c.commands.OpenDocumentFile(std::nullopt)));
    ASSERT_EQ(c.ui.messages.size(), 1u);
    EXPECT_EQ(c.ui.messages[0].text, "Save changes to New?");
    EXPECT_EQ(c.ui.messages[0].type, win::MB_YESNOCANCEL | win::MB_ICONWARNING);
    EXPECT_EQ(c.commands.Current(), old);
    EXPECT_TRUE(c.stored().empty());

    // No: the old document goes unsaved and the new one, opened by the dialog, is remembered.
    c.ui.answers = {win::IDNO};
    c.host.openAnswers.push_back(c.file("b.pdb"));
    EXPECT_TRUE(c.ui.Show(c.commands.OpenDocumentFile(std::nullopt)));
    EXPECT_NE(c.commands.Current(), old);
    EXPECT_EQ(c.host.shown, c.commands.Current());
    EXPECT_EQ(c.commands.Current()->Fonts().Count(), 1u);
    EXPECT_EQ(c.stored(), std::vector<std::string>{c.file("b.pdb")});
}

TEST(DocumentCommands, ClosingAsksAndNoStillRecordsThePath) {
    Commands c;
    writeTypehold(c.file("a.pdb"), 1);
    ASSERT_TRUE(c.ui.Show(c.commands.OpenDocumentFile(c.file("a.pdb"))));  // not from the dialog: not remembered
    EXPECT_TRUE(c.stored().empty());
    c.modify();
    c.ui.answers = {win::IDCANCEL};
    EXPECT_FALSE(c.ui.Show(c.commands.CloseDocument()));
    EXPECT_NE(c.commands.Current(), nullptr);
    c.ui.answers = {win::IDNO};
    EXPECT_TRUE(c.ui.Show(c.commands.CloseDocument()));
    EXPECT_EQ(c.commands.Current(), nullptr);
    EXPECT_EQ(c.host.shown, nullptr);
    EXPECT_EQ(c.stored(), std::vector<std::string>{c.file("a.pdb")});
    ScriptedDocumentUi check;
    CFontDoc reread(check);
    ASSERT_TRUE(check.Show(reread.OnOpenDocument(c.file("a.pdb"))));
    EXPECT_EQ(reread.Fonts().Count(), 1u);  // nothing was saved
}

TEST(DocumentCommands, SaveAsksOnlyWhenModifiedAndCaptionFollowsSaves) {
    Commands c;
    EXPECT_TRUE(c.ui.Show(c.commands.Save()));  // unmodified: nothing to do
    EXPECT_TRUE(c.ui.proposedNames.empty());
    c.modify();
    c.ui.savePath = std::nullopt;  // the dialog is cancelled
    EXPECT_FALSE(c.ui.Show(c.commands.Save()));
    ASSERT_EQ(c.ui.proposedNames.size(), 1u);
    EXPECT_EQ(c.ui.proposedNames[0], "New");
    EXPECT_TRUE(c.host.captions.empty());

    c.ui.savePath = c.file("saved.pdb");
    EXPECT_TRUE(c.ui.Show(c.commands.Save()));
    EXPECT_EQ(c.host.captions, std::vector<std::string>{"saved"});
    EXPECT_FALSE(c.commands.Current()->IsModified());
    EXPECT_EQ(c.stored(), std::vector<std::string>{c.file("saved.pdb")});

    // New and Open leave the caption as it is.
    EXPECT_TRUE(c.ui.Show(c.commands.NewDocument()));
    EXPECT_TRUE(c.ui.Show(c.commands.OpenDocumentFile(c.file("saved.pdb"))));
    EXPECT_EQ(c.host.captions.size(), 1u);
    c.ui.savePath = c.file("copy.pdb");
    EXPECT_TRUE(c.ui.Show(c.commands.SaveAs()));  // Save As saves an unmodified document too
    EXPECT_EQ(c.host.captions.back(), "copy");
    EXPECT_EQ(c.stored(), (std::vector<std::string>{c.file("copy.pdb"), c.file("saved.pdb")}));
}

TEST(DocumentCommands, RecentFilesOpenMoveToTopOrVanish) {
    Commands c;
    writeTypehold(c.file("a.pdb"), 1);
    writeTypehold(c.file("b.pdb"), 2);
    for (const char* name : {"a.pdb", "b.pdb", "gone.pdb"}) {
        c.host.openAnswers.push_back(c.file(name));
        if (std::string(name) == "gone.pdb") writeTypehold(c.file(name), 1);
        ASSERT_TRUE(c.ui.Show(c.commands.OpenDocumentFile(std::nullopt)));
    }
    std::filesystem::remove(c.file("gone.pdb"));
    ASSERT_TRUE(c.ui.Show(c.commands.NewDocument()));  // so that no recent file is the open one
    c.recent.Read();  // as the File menu does before it opens
    ASSERT_EQ(c.recent.NewestFirst(), (std::vector<std::string>{c.file("gone.pdb"), c.file("b.pdb"), c.file("a.pdb")}));

    EXPECT_FALSE(c.ui.Show(c.commands.OpenRecent(DocumentCommands::kFirstRecentId)));  // the vanished file
    EXPECT_EQ(c.stored(), (std::vector<std::string>{c.file("b.pdb"), c.file("a.pdb")}));
    EXPECT_TRUE(c.ui.messages.empty());

    c.recent.Read();
    EXPECT_TRUE(c.ui.Show(c.commands.OpenRecent(DocumentCommands::kFirstRecentId + 1)));
    EXPECT_EQ(c.commands.Current()->GetPathName(), c.file("a.pdb"));
    EXPECT_EQ(c.stored(), (std::vector<std::string>{c.file("a.pdb"), c.file("b.pdb")}));

    EXPECT_FALSE(c.ui.Show(c.commands.OpenRecent(DocumentCommands::kFirstRecentId + 5)));
    EXPECT_EQ(c.host.beeps, 1);
}

TEST(DocumentCommands, NoDatabaseOfTheCorpusCrashesOpenOrReplacesTheDocument) {
    Commands c;
    const std::filesystem::path corpus = std::filesystem::path(FUZZ_CORPUS_DIR) / "palmdb";
    for (const auto& file : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(file.path().string());
        CFontDoc* before = c.commands.Current();
        if (!c.ui.Show(c.commands.OpenDocumentFile(file.path().string()))) {
            EXPECT_EQ(c.commands.Current(), before);
        }
        ASSERT_NE(c.commands.Current(), nullptr);
    }
}

TEST(DocumentCommands, DialogPathsLongerThanTheBufferCountAsCancel) {
    EXPECT_EQ(PathFittingBuffer(std::string(255, 'a'), kOpenDialogBuffer), std::string(255, 'a'));
    EXPECT_EQ(PathFittingBuffer(std::string(256, 'a'), kOpenDialogBuffer), std::nullopt);
    EXPECT_EQ(PathFittingBuffer(std::string(511, 'a'), kSaveDialogBuffer), std::string(511, 'a'));
    EXPECT_EQ(PathFittingBuffer(std::string(512, 'a'), kSaveDialogBuffer), std::nullopt);
    EXPECT_EQ(PathFittingBuffer(std::nullopt, kSaveDialogBuffer), std::nullopt);
}

TEST(DocumentCommands, TheSaveDialogTakesOnlyPathsInExistingFolders) {
    DesktopSandbox sandbox;
    std::filesystem::create_directory(sandbox.file("fonts"));
    const struct {
        std::string path;
        bool taken;
    } cases[] = {
        {sandbox.file("fonts/a.pdb"), true},
        {sandbox.file("a.pdb"), true},
        {"a.pdb", true},  // the current folder
        {sandbox.file("missing/a.pdb"), false},
        {sandbox.file("fonts/missing/a.pdb"), false},
        {sandbox.file("fonts/a.pdb/b.pdb"), false},  // not a folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto text = MissingFolderText(c.path);
        EXPECT_EQ(!text, c.taken);
        if (text) {
            EXPECT_EQ(*text, std::filesystem::path(c.path).parent_path().string() +
                                 "\nThe folder does not exist. Check the path and try again.");
        }
    }
}

TEST(MessageBoxStyle, PlainBoxesGetTheExclamationIcon) {
    using namespace win;
    const struct {
        std::uint32_t type, expected;
    } cases[] = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_OKCANCEL, MB_OKCANCEL | MB_ICONEXCLAMATION},
        {MB_YESNOCANCEL, MB_YESNOCANCEL | MB_ICONEXCLAMATION},
        {MB_YESNO, MB_YESNO | MB_ICONEXCLAMATION},
        {MB_ABORTRETRYIGNORE, MB_ABORTRETRYIGNORE},
        {MB_RETRYCANCEL, MB_RETRYCANCEL},
        {MB_YESNO | MB_ICONQUESTION, MB_YESNO | MB_ICONQUESTION},
        {MB_OK | MB_ICONHAND, MB_OK | MB_ICONHAND},
    };
    for (const auto& c : cases) EXPECT_EQ(WithConverterIcon(c.type), c.expected) << c.type;
}

TEST(ConsoleCodePage, OnlyTheFourDoubleByteCharacterSetsCount) {
    const struct {
        const char* codeset;
        std::optional<std::uint32_t> expected;
    } cases[] = {{"SHIFT_JIS", 932}, {"sjis", 932}, {"GBK", 936},   {"GB2312", 936},      {"EUC-KR", 949},
                 {"BIG5", 950},      {"big5-hkscs", 950}, {"UTF-8", std::nullopt}, {"ISO-8859-1", std::nullopt},
                 {"", std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(DoubleByteCodePage(c.codeset), c.expected) << c.codeset;
}
