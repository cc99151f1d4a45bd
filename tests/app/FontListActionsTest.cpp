// Tests of what the font list view's buttons do: Delete, Edit, the details checks, Add Font with
// a scripted engine, and Install through the desktop's install aide.
#include "app/FontListActions.h"

#include "app/DocumentCommands.h"
#include "app/InstallAide.h"
#include "app/RecentFileList.h"
#include "app/RegistryStore.h"
#include "core/FontDoc.h"
#include "palmdesk/UserStore.h"
#include "platform/win/MessageBoxTypes.h"
#include "platform/win/Registry.h"
#include "support/DesktopSandbox.h"
#include "support/SampleFonts.h"
#include "support/ScriptedDocumentUi.h"
#include "support/ScriptedFontEngine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {
const std::string kSelectFirst = "Please select a font record first!";
const std::string kConfirmDelete = "The font(s) will be deleted. Are you sure?";

struct Doc {
    ScriptedDocumentUi ui;
    CFontDoc doc{ui};
    explicit Doc(int count) {
        EXPECT_TRUE(doc.OnNewDocument("Untitled"));
        for (int i = 0; i < count; ++i) EXPECT_GE(doc.Fonts().AddConverted(tinyFont(false, "F" + std::to_string(i))), 0);
        doc.Fonts().Sort();
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < doc.Fonts().Count(); ++i) out.push_back(doc.Fonts().At(i)->name);
        return out;
    }
};

// Delete, Edit and Add Font as the view runs them: the question asked through the document's
// ui, and a refusal shown there.
std::optional<std::vector<std::size_t>> deleteFonts(Doc& d, const std::vector<FontEntry*>& selected) {
    Outcome refusal = Outcome::Done();
    auto deleted = DeleteFonts(d.doc, selected, [&](const std::string& q) { return d.ui.AskYesNo(q); }, refusal);
    d.ui.Show(refusal);
    return deleted;
}

FontEntry* fontToEdit(Doc& d, const std::vector<FontEntry*>& selected) {
    Outcome refusal = Outcome::Done();
    FontEntry* entry = FontToEdit(d.doc, selected, refusal);
    d.ui.Show(refusal);
    return entry;
}

FontEntry* addSingleFont(gdi::FontEngine& engine, Doc& d, FontRequest font, int size, const FontDetails& details) {
    Outcome refusal = Outcome::Done();
    font.pointSize = size;
    FontEntry* added = AddSingleFont(engine, d.doc, font, details, refusal);
    d.ui.Show(refusal);
    return added;
}

struct ScriptedChooser final : UserChooser {
    std::optional<PalmUser> Choose(const PalmUserList& users) override {
        ++asked;
        return users.back();
    }
    int asked = 0;
};
}  // namespace

TEST(FontListActions, DeleteRemovesExactlyTheSelectedFonts) {
    Doc d(5);
    d.ui.answers = {win::IDYES};
    const std::vector<FontEntry*> selected{d.doc.Fonts().At(0), d.doc.Fonts().At(2), d.doc.Fonts().At(4)};
    const auto deleted = deleteFonts(d, selected);
    ASSERT_TRUE(deleted);
    EXPECT_EQ(*deleted, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(d.names(), (std::vector<std::string>{"F1", "F3"}));
    ASSERT_EQ(d.ui.messages.size(), 1u);
    EXPECT_EQ(d.ui.messages[0].text, kConfirmDelete);
    EXPECT_EQ(d.ui.messages[0].type, win::MB_YESNO);
}

TEST(FontListActions, DeleteAndEditNeedASelectionAndDeleteNeedsYes) {
    Doc d(3);
    EXPECT_FALSE(deleteFonts(d, {}));
    EXPECT_EQ(fontToEdit(d, {}), nullptr);
    ASSERT_EQ(d.ui.messages.size(), 2u);
    EXPECT_EQ(d.ui.messages[0].text, kSelectFirst);
    EXPECT_EQ(d.ui.messages[1].text, kSelectFirst);

    d.ui.answers = {win::IDNO};
    EXPECT_FALSE(deleteFonts(d, {d.doc.Fonts().At(1)}));
    EXPECT_EQ(d.doc.Fonts().Count(), 3u);

    // Edit with several selected edits the first; an entry the document does not hold, nothing.
    EXPECT_EQ(fontToEdit(d, {d.doc.Fonts().At(2), d.doc.Fonts().At(0)}), d.doc.Fonts().At(2));
    FontEntry stranger;
    EXPECT_EQ(fontToEdit(d, {&stranger}), nullptr);
}

// The limits count bytes of the code page the handheld reads, and a character the code page
// lacks is refused, never replaced.
TEST(FontListActions, DetailsAreCheckedInTheCodePageNameFirst) {
    const std::string e = "é";          // one byte in 1252
    const std::string kanji = "明";     // two bytes in 932
    const struct {
        const char* what;
        std::uint32_t codePage;
        std::string name, style;
        DetailsProblem expected;
        std::string nameBytes;  // when accepted
    } cases[] = {
        {"ASCII at the limits", 1252, std::string(63, 'n'), std::string(31, 's'), DetailsProblem::None, std::string(63, 'n')},
        {"empty", 1252, "", "", DetailsProblem::None, ""},
        {"cp1252 letters", 1252, "Crème", "Gras", DetailsProblem::None, "Cr\xE8me"},
        {"63 bytes of é", 1252, std::string(62, 'n') + e, "", DetailsProblem::None, std::string(62, 'n') + "\xE9"},
        {"name too long", 1252, std::string(64, 'n'), std::string(31, 's'), DetailsProblem::NameTooLong, ""},
        {"style too long", 1252, std::string(63, 'n'), std::string(32, 's'), DetailsProblem::StyleTooLong, ""},
        {"both too long", 1252, std::string(64, 'n'), std::string(32, 's'), DetailsProblem::NameTooLong, ""},
        {"name outside 1252", 1252, "日本", "", DetailsProblem::NameCharacter, ""},
        {"style outside 1252", 1252, "Mincho", "✓", DetailsProblem::StyleCharacter, ""},
        {"62 + a double-byte character", 932, std::string(61, 'n') + kanji, "", DetailsProblem::None,
         std::string(61, 'n') + "\x96\xBE"},
        {"63 + a double-byte character", 932, std::string(62, 'n') + kanji, "", DetailsProblem::NameTooLong, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DetailsCheck check = CheckDetails(c.name, c.style, c.codePage);
        EXPECT_EQ(check.problem, c.expected);
        if (c.expected == DetailsProblem::None) {
            EXPECT_EQ(check.name, c.nameBytes);
        }
    }
    const DetailsCheck refused = CheckDetails("日本", "", 1252);
    EXPECT_EQ(MissingCharacterText(refused, 1252),
              "The font name can not hold the character \"日\" (U+65E5): the handheld's code page 1252 has no such "
              "character.");
}

// A name read from a file goes to the dialog as UTF-8 and comes back byte for byte, even bytes
// that stand for no character.
TEST(FontListActions, EditKeepsANameInTheCodePageByteForByte) {
    for (const std::string& name : {std::string("Cr\xE8me Br\xFBl\xE9\x65"), std::string("Odd \x81\x8D")}) {
        Doc d(0);
        ASSERT_GE(d.doc.Fonts().AddConverted(tinyFont(true, name, "Gras", 9)), 0);
        FontEntry& entry = *d.doc.Fonts().At(0);
        FontDetails details = DetailsOf(d.doc, entry);
        EXPECT_EQ(details.name.find('\xE8'), std::string::npos);  // UTF-8, not the code page's bytes
        details.style = "Fett";
        ASSERT_TRUE(RenameFont(d.doc, entry, details));
        EXPECT_EQ(entry.name, name);
        EXPECT_EQ(entry.style, "Fett");
    }
}

TEST(FontListActions, ProposedDetailsNameTheFaceAndItsStyle) {
    FontRequest font{"DejaVu Sans", 0, 0, 12};
    const struct {
        int weight;
        int italic;
        const char* style;
    } cases[] = {{400, 0, ""}, {401, 0, "B"}, {700, 1, "BI"}, {0, 1, "I"}};
    for (const auto& c : cases) {
        font.weight = c.weight;
        font.italic = c.italic != 0;
        const FontDetails details = ProposedDetails(font);
        EXPECT_EQ(details.name, "DejaVu Sans");
        EXPECT_EQ(details.style, c.style);
        EXPECT_EQ(details.size, "12");
        EXPECT_EQ(details.highDensity, 1);
        EXPECT_TRUE(details.canChange);
    }
    EXPECT_EQ(PointSizeFromTenths(-125), 12);
    EXPECT_EQ(PointSizeFromTenths(90), 9);
}

TEST(FontListActions, AddSingleFontNamesTheRecordFromTheDialogOrLeavesTheDocument) {
    Doc d(0);
    ScriptedFontEngine engine;
    engine.face.metrics[9] = scriptedMetrics(9, 7, 32, 126);
    engine.face.metrics[18] = scriptedMetrics(18, 14, 32, 126);
    const FontRequest font{"Scripted", 0, 0, 9};
    FontDetails details = ProposedDetails(font);
    details.name = "Mine";
    details.style = "Plain";
    FontEntry* added = addSingleFont(engine, d, font, 9, details);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->name, "Mine");
    EXPECT_EQ(added->style, "Plain");
    EXPECT_NE(added->highDensity, 0u);

    // The record holds the name in the handheld's code page; one it cannot hold is refused.
    details.name = "Cr\u00e8me";
    added = addSingleFont(engine, d, font, 9, details);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->name, "Cr\xE8me");
    details.name = "\u65e5\u672c";
    EXPECT_EQ(addSingleFont(engine, d, font, 9, details), nullptr);
    ASSERT_EQ(d.ui.messages.size(), 1u);
    EXPECT_EQ(d.ui.messages[0].text, "\u65e5\u672c Regular 9 pt: the name holds \"\u65e5\" (U+65E5), which code page "
                                     "1252 does not have");
    ASSERT_TRUE(d.doc.Fonts().Delete(d.doc.Fonts().At(1)));
    d.ui.messages.clear();
    details.name = "Mine";

    // A size the engine cannot make: a message, and the document keeps its one font.
    details.highDensity = 0;
    EXPECT_EQ(addSingleFont(engine, d, font, 10, details), nullptr);
    EXPECT_EQ(d.doc.Fonts().Count(), 1u);
    ASSERT_EQ(d.ui.messages.size(), 1u);

    // A record larger than a handheld record can be: its reason, and still one font.
    engine.face.metrics[120] = scriptedMetrics(120, 96, 32, 255, 120);
    engine.face.metrics[240] = scriptedMetrics(240, 192, 32, 255, 240);
    engine.face.defaultGlyph = {{0, 100, 1}, true};
    details.highDensity = 1;
    EXPECT_EQ(addSingleFont(engine, d, font, 120, details), nullptr);
    EXPECT_EQ(d.doc.Fonts().Count(), 1u);
    ASSERT_EQ(d.ui.messages.size(), 2u);
    EXPECT_NE(d.ui.messages[1].text.find("too large for a handheld record"), std::string::npos) << d.ui.messages[1].text;
}

TEST(FontListActions, InstallSavesFirstAndAsksForTheUserOncePerDocument) {
    DesktopSandbox sandbox;
    DesktopSandbox::RecordHotSyncPath(std::string(PALMDESK_BIN_DIR) + "/hotsync");
    palmdesk::UserStore userStore;
    for (const char* name : {"Ann", "Bob"}) ASSERT_TRUE(userStore.Add(name, false));
    const win::HMODULE aide = LoadInstallAide().module;
    ASSERT_NE(aide, nullptr);
    PalmUserList users;
    ASSERT_EQ(ReadPalmUsers(aide, users), 2);

    RegistryStore store("Corvane", "Typehold");
    RecentFileList recent(store);
    struct Host final : DocumentHost {
        std::optional<std::string> AskOpenPath() override { return std::nullopt; }
        void SetDocument(CFontDoc*) override {}
        void SetCaption(const std::string&) override {}
        void RefreshCommandStates() override {}
        void Beep() override {}
    } host;
    ScriptedDocumentUi ui;
    DocumentCommands commands(ui, host, recent);
    ASSERT_TRUE(commands.NewDocument());
    ScriptedChooser chooser;
    const auto save = [&] { return commands.Save(); };
    const auto queued = [&](const char* user) {
        return std::filesystem::exists(sandbox.file(std::string("Users/") + user + "/Install/fonts.pdb"));
    };

    // An untitled, unmodified document: Save has nothing to do and there is no file to install.
    EXPECT_FALSE(ui.Show(InstallDocument(save, *commands.Current(), users, aide, chooser)));
    // Modified, and the Save dialog cancelled: nothing installed, nobody asked.
    ASSERT_GE(commands.Current()->Fonts().AddConverted(tinyFont(false)), 0);
    commands.Current()->MarkModified(true);
    EXPECT_FALSE(ui.Show(InstallDocument(save, *commands.Current(), users, aide, chooser)));
    EXPECT_EQ(chooser.asked, 0);

    ui.savePath = sandbox.file("fonts.pdb");
    EXPECT_TRUE(ui.Show(InstallDocument(save, *commands.Current(), users, aide, chooser)));
    EXPECT_TRUE(ui.Show(InstallDocument(save, *commands.Current(), users, aide, chooser)));
    EXPECT_EQ(chooser.asked, 1);
    EXPECT_TRUE(queued("Bob"));
    EXPECT_FALSE(queued("Ann"));
    EXPECT_EQ(ui.messages.back().text,
              "The font file \"fonts.pdb\" will be installed on your handheld during the next HotSync!");

    // Another document, even of the same file, asks again.
    ASSERT_TRUE(commands.NewDocument());
    ASSERT_TRUE(commands.OpenDocumentFile(sandbox.file("fonts.pdb")));
    EXPECT_TRUE(ui.Show(InstallDocument(save, *commands.Current(), users, aide, chooser)));
    EXPECT_EQ(chooser.asked, 2);
    win::FreeLibrary(aide);
}

TEST(PalmUserChoice, TheUserDialogMatchesNamesExactlyElseTakesTheFirst) {
    const PalmUserList users{{"bob", 2}, {"Ann", 1}, {"Carl", 3}};
    EXPECT_EQ(SortedUserNames(users), (std::vector<std::string>{"Ann", "Carl", "bob"}));
    EXPECT_EQ(UserForChoice(users, "Carl")->id, 3u);
    EXPECT_EQ(UserForChoice(users, "carl")->id, 2u);  // case counts: no match, the first user
    EXPECT_EQ(UserForChoice(users, "")->id, 2u);
    EXPECT_FALSE(UserForChoice({}, "Ann"));
}
