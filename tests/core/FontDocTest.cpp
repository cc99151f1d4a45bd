// Tests of the font document: opening, saving, IDs, editing and sorting, on real files.
#include "core/FontDoc.h"

#include "core/FontRecord.h"
#include "core/qz_fileio/AllocationFaults.h"
#include "core/qz_fileio/AtomicWrite.h"
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/File.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/win/MessageBoxTypes.h"
#include "support/CraftedDatabases.h"
#include "support/SampleFonts.h"
#include "support/ScriptedDocumentUi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using qz_gen::CDbRecord;
using qz_gen::CPalmDb;
using Bytes = std::vector<std::uint8_t>;

namespace {
// Writes a Typehold file holding the given records, as another program might.
void writeDatabase(const std::string& path, CPalmDb& db, std::uint32_t type = CFontList::kTypeXFnt) {
    db.SetName("Foreign");
    db.Header().type = type;
    db.Header().creator = CFontList::kCreatorFmgr;
    db.SetLayoutFields();
    writeWholeFile(path, db.ToBytes());
}

CDbRecord fontRecord(const std::string& name, std::uint32_t id, std::uint16_t size = 9) {
    const auto bytes = Serialise(tinyFont(false, name, "", size)).value();
    CDbRecord r;
    r.SetData(static_cast<std::uint32_t>(bytes.size()), bytes.data());
    r.SetUniqueID(id);
    return r;
}

CDbRecord recordWith(const Bytes& bytes, std::uint32_t id, std::uint32_t flags = 0) {
    CDbRecord r;
    r.SetData(static_cast<std::uint32_t>(bytes.size()), bytes.data());
    r.SetUniqueID(id);
    r.SetFlags(flags);
    return r;
}

// Bytes no font record starts with.
const Bytes kJunk{1, 2, 3};

std::vector<std::uint32_t> uniqueIDsInFile(const std::string& path) {
    CPalmDb db;
    db.ReadFromBytes(readWholeFile(path));
    std::vector<std::uint32_t> ids;
    for (const auto& e : db.RecordList()) ids.push_back(e.uniqueID);
    return ids;
}

struct Fixture {
    TempDir dir;
    ScriptedDocumentUi ui;
    CFontDoc doc{ui};
};
}  // namespace

TEST(CFontDocSave, UntitledDocumentProposesItsFirstFontsName) {
    Fixture f;
    ASSERT_TRUE(f.doc.OnNewDocument("Untitled"));
    f.doc.Fonts().AddConverted(tinyFont(false, "Verdana"));
    f.doc.MarkModified(true);
    EXPECT_EQ(f.doc.GetTitle(), "Verdana");
    f.ui.savePath = f.dir.file("Chosen.pdb");
    ASSERT_TRUE(f.ui.Show(f.doc.DoFileSave()));
    EXPECT_EQ(f.ui.proposedNames, std::vector<std::string>{"Verdana"});
    EXPECT_EQ(f.doc.GetTitle(), "Chosen");
    EXPECT_EQ(f.doc.GetPathName(), f.dir.file("Chosen.pdb"));
    EXPECT_FALSE(f.doc.IsModified());
}

TEST(CFontDocSave, ProposedNameIsCutBeforeAForbiddenCharacter) {
    struct Case {
        const char* title;
        const char* proposed;
    };
    const Case cases[] = {{"Fonts: Serif", "Fonts"}, {"What?", "What"}, {"a/b", "a"}, {"Plain", "Plain"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        Fixture f;
        f.doc.OnNewDocument(c.title);
        EXPECT_FALSE(f.ui.Show(f.doc.DoFileSave()));  // the dialog is cancelled
        EXPECT_EQ(f.ui.proposedNames, std::vector<std::string>{c.proposed});
    }
}

TEST(CFontDocSave, DatabaseNameIsTheFileTitleCutTo31Characters) {
    struct Case {
        std::string file;
        std::string name;
    };
    const Case cases[] = {
        {std::string(40, 'n') + ".pdb", std::string(31, 'n')},
        {std::string(31, 'm') + ".pdb", std::string(31, 'm')},
        {"with\rreturn.pdb", "withreturn"},
        {"Cr\u00e8me.pdb", "Cr\xE8me"},                                        // in Windows-1252
        {std::string(30, 'e') + "\u00e9\u00e9.pdb", std::string(30, 'e') + "\xE9"},
        {std::string(30, 'j') + "\u65e5.pdb", std::string(30, 'j')},             // UTF-8, not cut inside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Fixture f;
        f.doc.OnNewDocument("x");
        ASSERT_TRUE(f.ui.Show(f.doc.DoSave(f.dir.file(c.file), true)));
        CPalmDb db;
        db.ReadFromBytes(readWholeFile(f.dir.file(c.file)));
        EXPECT_EQ(db.GetName(), c.name);
        EXPECT_EQ(db.Header().type, CFontList::kTypeXFnt);
        EXPECT_EQ(db.Header().creator, CFontList::kCreatorFmgr);
    }
}

TEST(CFontDocSave, NewRecordsContinueAfterTheHighestID) {
    Fixture f;
    CPalmDb db;
    for (auto r : {fontRecord("A", 5), fontRecord("B", 9)}) db.AddRecord(r);
    const auto path = f.dir.file("ids.pdb");
    writeDatabase(path, db);
    ASSERT_TRUE(f.ui.Show(f.doc.OnOpenDocument(path)));
    f.doc.Fonts().AddConverted(tinyFont(false, "C"));
    f.doc.Fonts().AddConverted(tinyFont(true, "D"));
    ASSERT_TRUE(f.ui.Show(f.doc.DoFileSave()));
    EXPECT_EQ(uniqueIDsInFile(path), (std::vector<std::uint32_t>{5, 9, 10, 11}));
    EXPECT_TRUE(f.doc.Fonts().At(2)->record->HasFlag(CDbRecord::kFlagNew));
}

TEST(CFontDocSave, NewDocumentsFirstFontGetsIDOne) {
    Fixture f;
    f.doc.OnNewDocument("x");
    f.doc.Fonts().AddConverted(tinyFont(false));
    ASSERT_TRUE(f.ui.Show(f.doc.DoSave(f.dir.file("one.pdb"), true)));
    EXPECT_EQ(uniqueIDsInFile(f.dir.file("one.pdb")), std::vector<std::uint32_t>{1});
}

TEST(CFontListLoad, DeletedAndUnparsableRecordsAreHiddenButSaved) {
    Fixture f;
    CPalmDb db;
    for (auto r : {fontRecord("A", 1), recordWith({}, 3, CDbRecord::kFlagDeleted), recordWith(kJunk, 4)})
        db.AddRecord(r);
    const auto path = f.dir.file("hidden.pdb");
    writeDatabase(path, db);
    ASSERT_TRUE(f.ui.Show(f.doc.OnOpenDocument(path)));
    EXPECT_EQ(f.doc.Fonts().Count(), 1u);
    EXPECT_EQ(f.doc.Fonts().MaxUniqueID(), 4u);  // the deleted record's ID does not count
    ASSERT_TRUE(f.ui.Show(f.doc.DoFileSave()));
    CPalmDb back;
    back.ReadFromBytes(readWholeFile(path));
    ASSERT_EQ(back.LiveCount(), 3u);
    EXPECT_EQ(back.RecordList()[1].attributes, 0x80);
    EXPECT_EQ(back.RecordAt(1)->GetLength(), 0u);
    EXPECT_EQ(Bytes(back.RecordAt(2)->Bytes().begin(), back.RecordAt(2)->Bytes().end()), kJunk);
}

TEST(CFontListLoad, EntriesTakeSizeDensityAndHeaderOnlyFromTheRecord) {
    Fixture f;
    CPalmDb db;
    const auto two = Serialise(tinyFont(true, "Two", "BI", 0x10C)).value();
    CDbRecord twoRecord;
    twoRecord.SetData(static_cast<std::uint32_t>(two.size()), two.data());
    twoRecord.SetUniqueID(1);
    const Bytes headerOnly{0, 1, 0, 12, 0, 0, 0, 0, 0, 0, 'H', 0, 'B', 0};
    CDbRecord headerRecord;
    headerRecord.SetData(static_cast<std::uint32_t>(headerOnly.size()), headerOnly.data());
    headerRecord.SetUniqueID(2);
    for (auto r : {twoRecord, headerRecord}) db.AddRecord(r);
    writeDatabase(f.dir.file("kinds.pdb"), db);
    ASSERT_TRUE(f.ui.Show(f.doc.OnOpenDocument(f.dir.file("kinds.pdb"))));
    const auto& fonts = f.doc.Fonts();
    ASSERT_EQ(fonts.Count(), 2u);
    EXPECT_EQ(fonts.At(0)->size, 12);  // the low byte of 0x10C
    EXPECT_EQ(fonts.At(0)->highDensity, 0x0200u);
    EXPECT_EQ(fonts.At(0)->style, "BI");
    EXPECT_EQ(fonts.At(1)->headerOnly, 1u);
    EXPECT_EQ(fonts.At(1)->name, "H");
}

// typehold maps the files it opens: the list and what a save writes are those of the file read
// into memory, also when the save replaces the file the records are mapped from.
TEST(CFontListLoad, AMappedFileListsAndSavesAsOneReadIntoMemory) {
    TempDir dir;
    CPalmDb db;
    for (auto r : {fontRecord("b", 1, 12), recordWith({}, 3, CDbRecord::kFlagDeleted), recordWith(kJunk, 4),
                   recordWith(Serialise(tinyFont(true, "Two", "BI", 0x10C)).value(), 5), fontRecord("A", 2, 8)})
        db.AddRecord(r);
    writeDatabase(dir.file("source.pdb"), db);

    struct Result {
        std::vector<std::string> entries;
        Bytes saved;
    };
    const auto openAddSave = [&](bool map) {
        // One file name in two folders: a save names the database after its file.
        const auto folder = dir.file(map ? "mapped" : "copied");
        std::filesystem::create_directory(folder);
        const auto path = folder + "/fonts.pdb";
        std::filesystem::copy_file(dir.file("source.pdb"), path, std::filesystem::copy_options::overwrite_existing);
        CFontList list;
        list.SetMapFiles(map);
        EXPECT_TRUE(list.Load(path).Ok());
        list.AddConverted(tinyFont(false, "New"));
        list.Sort();
        Result result;
        for (std::size_t i = 0; i < list.Count(); ++i) {
            const FontEntry& e = *list.At(i);
            result.entries.push_back(e.name + "/" + e.style + "/" + std::to_string(e.size) + "/" +
                                     std::to_string(e.highDensity) + "/" + std::to_string(e.headerOnly));
        }
        EXPECT_TRUE(list.Save(path).Ok());
        result.saved = readWholeFile(path);
        if (result.saved.size() >= 48) std::fill(result.saved.begin() + 36, result.saved.begin() + 48, 0);  // dates
        return result;
    };
    const Result copied = openAddSave(false), mapped = openAddSave(true);
    EXPECT_EQ(mapped.entries, copied.entries);
    EXPECT_EQ(mapped.entries.size(), 4u);
    EXPECT_TRUE(mapped.saved == copied.saved);
}

// typehold convert adds fonts to a file without listing the fonts it holds: the file saved is
// the one the whole list gives, the new fonts' IDs included, however the file's IDs lie.
TEST(CFontListLoad, AddingToAnUnlistedFileSavesWhatTheListedFileSaves) {
    struct Case {
        const char* what;
        std::vector<CDbRecord> records;
        std::size_t listed;  // entries after loading unlisted and adding two fonts
    };
    const Case cases[] = {
        {"IDs in slot order", {fontRecord("b", 1, 12), fontRecord("A", 2, 8), fontRecord("Y", 3)}, 2},
        {"IDs out of order", {fontRecord("b", 9), fontRecord("A", 2), fontRecord("Y", 5)}, 2},
        {"deleted and unparsable records", {fontRecord("b", 1), recordWith({}, 3, CDbRecord::kFlagDeleted),
                                            recordWith(kJunk, 4), fontRecord("A", 2)}, 2},
        // The record that gives up its ID gets a new one in list order, between the fonts added.
        {"two records share an ID", {fontRecord("M", 7), fontRecord("A", 7), fontRecord("Y", 6)}, 5},
        {"a record without a font shares an ID", {fontRecord("M", 7), recordWith(kJunk, 7)}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CPalmDb db;
        for (auto r : c.records) db.AddRecord(r);
        writeDatabase(dir.file("source.pdb"), db);
        const auto openAddSave = [&](bool listed) {
            // One file name in two folders: a save names the database after its file.
            const auto folder = dir.file(listed ? "listed" : "unlisted");
            std::filesystem::create_directory(folder);
            const auto path = folder + "/fonts.pdb";
            std::filesystem::copy_file(dir.file("source.pdb"), path);
            CFontList list;
            list.SetMapFiles(true);
            list.SetListOnLoad(listed);
            EXPECT_TRUE(list.Load(path).Ok());
            // Added out of order, so that the IDs follow the sorted list, not the order added.
            CFontList batch;
            batch.New();
            batch.AddConverted(tinyFont(false, "Z"));
            batch.AddConverted(tinyFont(false, "B"));
            EXPECT_EQ(list.AddCopies(batch), 2u);
            list.Sort();
            if (!listed) {
                EXPECT_EQ(list.Count(), c.listed);
            }
            EXPECT_TRUE(list.Save(path).Ok());
            Bytes saved = readWholeFile(path);
            if (saved.size() >= 48) std::fill(saved.begin() + 36, saved.begin() + 48, 0);  // dates
            return saved;
        };
        const Bytes listed = openAddSave(true), unlisted = openAddSave(false);
        EXPECT_FALSE(listed.empty());
        EXPECT_TRUE(unlisted == listed);
    }
}

TEST(CFontListLoad, RefusesOtherDatabasesAndReportsFileErrors) {
    Fixture f;
    CPalmDb db;
    writeDatabase(f.dir.file("other.pdb"), db, 0x44415441);
    EXPECT_FALSE(f.ui.Show(f.doc.OnOpenDocument(f.dir.file("other.pdb"))));
    writeWholeFile(f.dir.file("short.pdb"), Bytes(50, 0));
    EXPECT_FALSE(f.ui.Show(f.doc.OnOpenDocument(f.dir.file("short.pdb"))));
    EXPECT_FALSE(f.ui.Show(f.doc.OnOpenDocument(f.dir.file("absent.pdb"))));  // no message
    ASSERT_EQ(f.ui.messages.size(), 2u);
    EXPECT_EQ(f.ui.messages[0].text, "The file is not a valid Typehold database!");
    EXPECT_EQ(f.ui.messages[1].text, "File IO read error");
}

TEST(CFontListEdit, DeletingTheOnlyFontSavesAnEmptyDatabase) {
    Fixture f;
    f.doc.OnNewDocument("x");
    f.doc.Fonts().AddConverted(tinyFont(false));
    ASSERT_TRUE(f.doc.Fonts().Delete(f.doc.Fonts().At(0)));
    EXPECT_FALSE(f.doc.Fonts().Delete(nullptr));
    ASSERT_TRUE(f.ui.Show(f.doc.DoSave(f.dir.file("empty.pdb"), true)));
    EXPECT_EQ(readWholeFile(f.dir.file("empty.pdb")).size(), 80u);
}

TEST(CFontListEdit, RenameReplacesTheStringsWithoutCarriageReturns) {
    Fixture f;
    f.doc.OnNewDocument("x");
    auto& fonts = f.doc.Fonts();
    fonts.AddConverted(tinyFont(false, "Old", "B"));
    ASSERT_TRUE(fonts.Rename(fonts.At(0), "New\rName", "I"));
    EXPECT_EQ(fonts.At(0)->name, "New\rName");
    const auto parsed = Parse(fonts.At(0)->record->Bytes());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->name, "NewName");
    EXPECT_EQ(parsed->style, "I");
    EXPECT_EQ(parsed->strike1, tinyFont(false).strike1);
}

TEST(CFontListEdit, SortsByNameThenStyleThenSize) {
    Fixture f;
    f.doc.OnNewDocument("x");
    auto& fonts = f.doc.Fonts();
    fonts.AddConverted(tinyFont(false, "Courier", "", 8));
    fonts.AddConverted(tinyFont(false, "arial", "B", 12));
    fonts.AddConverted(tinyFont(false, "arial", "B", 8));
    fonts.AddConverted(tinyFont(false, "Arial", "", 14));
    fonts.Sort();
    std::vector<std::string> order;
    for (std::size_t i = 0; i < fonts.Count(); ++i)
        order.push_back(fonts.At(i)->name + "/" + fonts.At(i)->style + "/" + std::to_string(fonts.At(i)->size));
    EXPECT_EQ(order, (std::vector<std::string>{"Arial//14", "arial/B/8", "arial/B/12", "Courier//8"}));
}

// Fonts added to a sorted list are sorted into it; equal entries (names that differ only in case)
// keep the order they had, the list's own before those added.
TEST(CFontListEdit, SortingAddedFontsIntoASortedListKeepsEqualEntriesInOrder) {
    struct Font {
        const char* name;
        int size;
    };
    const struct {
        const char* what;
        std::vector<Font> fonts;  // in the order they are added
        std::vector<std::string> sorted;
    } cases[] = {
        {"a sorted list and two added", {{"Arial", 8}, {"Courier", 8}, {"arial", 8}, {"Bodoni", 9}},
         {"Arial/8", "arial/8", "Bodoni/9", "Courier/8"}},
        {"added before the whole list", {{"Bodoni", 9}, {"Courier", 8}, {"ARIAL", 8}, {"arial", 8}},
         {"ARIAL/8", "arial/8", "Bodoni/9", "Courier/8"}},
        {"an unsorted list", {{"Courier", 8}, {"arial", 8}, {"Arial", 8}, {"Arial", 6}},
         {"Arial/6", "arial/8", "Arial/8", "Courier/8"}},
        {"added after the whole list", {{"Arial", 8}, {"Bodoni", 9}, {"Courier", 8}, {"courier", 8}},
         {"Arial/8", "Bodoni/9", "Courier/8", "courier/8"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFontList fonts;
        fonts.New();
        for (const auto& font : c.fonts) fonts.AddConverted(tinyFont(false, font.name, "", font.size));
        fonts.Sort();
        std::vector<std::string> order;
        for (std::size_t i = 0; i < fonts.Count(); ++i)
            order.push_back(fonts.At(i)->name + "/" + std::to_string(fonts.At(i)->size));
        EXPECT_EQ(order, c.sorted);
    }
}

TEST(CFontListEdit, CopiedRecordKeepsItsIDUnlessTheTargetHasItAlready) {
    TempDir dir;
    CFontList source, target;
    source.New();
    target.New();
    source.AddConverted(tinyFont(false, "S"));
    source.At(0)->record->SetUniqueID(7);
    source.At(0)->record->SetCategory(3);
    source.At(0)->record->SetPrivate(true);
    ASSERT_EQ(target.AddCopy(*source.At(0)), 0);
    ASSERT_EQ(target.AddCopy(*source.At(0)), 1);
    EXPECT_EQ(target.At(0)->record->GetUniqueID(), 7u);
    EXPECT_EQ(target.At(0)->record->GetCategory(), 3u);
    EXPECT_TRUE(target.At(0)->record->IsPrivate());
    EXPECT_EQ(target.At(1)->record->GetUniqueID(), CDbRecord::kUnassigned);
    ASSERT_TRUE(target.Save(dir.file("copies.pdb")));
    EXPECT_EQ(uniqueIDsInFile(dir.file("copies.pdb")), (std::vector<std::uint32_t>{7, 8}));
}

TEST(CFontListEdit, AddCopiesGivesTheIDsOfCopiesMadeOneByOne) {
    // IDs of the target's records and of the source's: taken ones, repeats within the source,
    // unassigned ones, and IDs that differ above the 24 bits a file keeps.
    struct Case {
        const char* what;
        std::vector<std::uint32_t> target;
        std::vector<std::uint32_t> source;
    };
    const std::uint32_t none = CDbRecord::kUnassigned;
    const Case cases[] = {
        {"into an empty list", {}, {5, 6, 7}},
        {"taken by the target", {6, 9}, {5, 6, 9, 10}},
        {"repeated in the source", {}, {4, 4, 4, 8}},
        {"unassigned", {3}, {none, 3, none}},
        {"taken by a deleted record", {12}, {12, 0x1000012}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFontList source, one, batch;
        source.New();
        for (const auto id : c.source) {
            source.AddConverted(tinyFont(false, "S" + std::to_string(source.Count())));
            source.At(source.Count() - 1)->record->SetUniqueID(id);
        }
        for (CFontList* target : {&one, &batch}) {
            target->New();
            for (const auto id : c.target) {
                target->AddConverted(tinyFont(false, "T"));
                target->At(target->Count() - 1)->record->SetUniqueID(id);
            }
            // The first record of the target is a deleted one: it keeps its ID all the same.
            if (!c.target.empty()) target->Database()->RecordAt(0)->SetFlag(CDbRecord::kFlagDeleted, true);
        }
        for (std::size_t i = 0; i < source.Count(); ++i) ASSERT_GE(one.AddCopy(*source.At(i)), 0);
        ASSERT_EQ(batch.AddCopies(source), source.Count());
        ASSERT_EQ(batch.Count(), one.Count());
        for (std::size_t i = 0; i < one.Count(); ++i) {
            EXPECT_EQ(batch.At(i)->record->GetUniqueID(), one.At(i)->record->GetUniqueID()) << i;
            EXPECT_EQ(batch.At(i)->name, one.At(i)->name);
        }
    }
}

TEST(CFontListLimits, AddCopiesStopsWhereTheFileIsFull) {
    ScriptedDocumentUi ui;
    CFontList source, target;
    source.New();
    target.New();
    for (int i = 0; i < 3; ++i) source.AddConverted(tinyFont(false, "S"));
    std::vector<CDbRecord> filler;
    for (std::uint32_t i = 0; i + 2 < CPalmDb::kMaxRecords; ++i) target.Database()->AddRecord(filler.emplace_back());
    Outcome refusal = Outcome::Done();
    EXPECT_EQ(target.AddCopies(source, &refusal), 2u);
    EXPECT_EQ(target.Database()->LiveCount(), CPalmDb::kMaxRecords);
    EXPECT_FALSE(ui.Show(refusal));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "A Typehold file holds at most 65,535 records; no more fonts can be added.");
}

TEST(CDocManSaveModified, AnswersOfTheSavePrompt) {
    struct Case {
        int answer;
        bool result;
        bool saved;
    };
    const Case cases[] = {{win::IDYES, true, true}, {win::IDNO, true, false}, {win::IDCANCEL, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        Fixture f;
        f.doc.OnNewDocument("Untitled");
        f.doc.MarkModified(true);
        f.ui.answers = {c.answer};
        f.ui.savePath = f.dir.file("saved.pdb");
        EXPECT_EQ(f.ui.Show(f.doc.SaveModified()), c.result);
        ASSERT_EQ(f.ui.messages.size(), 1u);
        EXPECT_EQ(f.ui.messages[0].text, "Save changes to Untitled?");
        EXPECT_EQ(f.ui.messages[0].type, win::MB_YESNOCANCEL | win::MB_ICONWARNING);
        EXPECT_EQ(qz_gen::CFile::Exists(f.dir.file("saved.pdb")), c.saved);
    }
    Fixture unmodified;
    EXPECT_TRUE(unmodified.ui.Show(unmodified.doc.SaveModified()));
    EXPECT_TRUE(unmodified.ui.messages.empty());
}

TEST(CDocManSave, ReadOnlyOrRemovedFileAsksForANewName) {
    for (const bool removeIt : {false, true}) {
        SCOPED_TRACE(removeIt ? "removed" : "read-only");
        Fixture f;
        const auto path = f.dir.file("doc.pdb");
        f.doc.OnNewDocument("x");
        ASSERT_TRUE(f.ui.Show(f.doc.DoSave(path, true)));
        if (removeIt) qz_gen::CFile::Remove(path);
        else ::chmod(path.c_str(), 0444);
        f.ui.savePath = std::nullopt;
        EXPECT_FALSE(f.ui.Show(f.doc.DoFileSave()));
        EXPECT_EQ(f.ui.proposedNames, std::vector<std::string>{path});
    }
}

TEST(CFontListSave, FailuresLeaveTheOldFileByteIdentical) {
    Fixture f;
    const auto path = f.dir.file("keep.pdb");
    f.doc.OnNewDocument("x");
    f.doc.Fonts().AddConverted(tinyFont(false, "Keep"));
    ASSERT_TRUE(f.ui.Show(f.doc.DoSave(path, true)));
    const Bytes before = readWholeFile(path);
    for (int i = 0; i < 50; ++i) f.doc.Fonts().AddConverted(tinyFont(true, "Grow"));

    // The disk fills up: writes past 200 bytes fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 200;
    setrlimit(RLIMIT_FSIZE, &tight);
    const bool saved = f.ui.Show(f.doc.DoFileSave());
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readWholeFile(path), before);
    ASSERT_FALSE(f.ui.messages.empty());
    EXPECT_EQ(f.ui.messages.back().text, "The file size exceeds the limit allowed and cannot be saved.\r\n");

    // A folder that does not exist, chosen in the dialog: nothing is written anywhere.
    f.ui.savePath = f.dir.file("missing/keep.pdb");
    EXPECT_FALSE(f.ui.Show(f.doc.DoSave(std::nullopt, true)));
    EXPECT_EQ(f.ui.messages.back().text, "badPath");
    EXPECT_EQ(readWholeFile(path), before);
    EXPECT_EQ(f.doc.GetPathName(), path);

    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(f.dir.path())) ++files;
    EXPECT_EQ(files, 1u);
}

TEST(CFontListSave, InfoBlocksCategoriesAndPrivateRecordsOfAForeignFileSurvive) {
    Fixture f;
    CPalmDb db;
    CDbRecord a = fontRecord("A", 1);
    a.SetCategory(5);
    a.SetPrivate(true);
    CDbRecord b = fontRecord("B", 2);
    b.SetFlags(CDbRecord::kFlagDirty);
    for (auto r : {a, b}) db.AddRecord(r);
    const Bytes app{'c', 'a', 't', 's', 0, 1, 2, 3};
    const Bytes sort{9, 8, 7};
    db.SetAppInfo(static_cast<std::uint32_t>(app.size()), app.data());
    db.SetSortInfo(static_cast<std::uint32_t>(sort.size()), sort.data());
    const auto path = f.dir.file("foreign.pdb");
    writeDatabase(path, db);
    const Bytes original = readWholeFile(path);

    ASSERT_TRUE(f.ui.Show(f.doc.OnOpenDocument(path)));
    ASSERT_TRUE(f.ui.Show(f.doc.DoFileSave()));
    const Bytes saved = readWholeFile(path);
    ASSERT_EQ(saved.size(), original.size());
    // Only the header's name and dates change; the list, the blocks and the records stay.
    EXPECT_TRUE(std::equal(original.begin() + 52, original.begin() + 60, saved.begin() + 52));
    EXPECT_TRUE(std::equal(original.begin() + 60, original.end(), saved.begin() + 60));
}

namespace {
std::size_t filesIn(const std::string& folder) {
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++files;
    return files;
}

// Fails the allocation points of operation one after the other, from the first, until one run
// passes them all; check sees each failed run, and the run that passed ends the loop. Returns
// how many runs failed.
template <typename Operation, typename Check>
int failEachAllocation(Operation operation, Check check) {
    for (std::uint64_t n = 1;; ++n) {
        SCOPED_TRACE(n);
        qz_gen::FailAllocationAt(n);
        const bool result = operation();
        const bool failed = qz_gen::AllocationFailed();
        qz_gen::FailAllocationAt(0);
        if (!failed) {
            EXPECT_TRUE(result);
            return static_cast<int>(n - 1);
        }
        EXPECT_FALSE(result);
        check();
    }
}
}  // namespace

TEST(CFontListSave, RunningOutOfMemoryAnywhereLeavesTheFileAndSaysSo) {
    Fixture f;
    const auto path = f.dir.file("keep.pdb");
    f.doc.OnNewDocument("x");
    f.doc.Fonts().AddConverted(tinyFont(false, "Keep"));
    ASSERT_TRUE(f.ui.Show(f.doc.DoSave(path, true)));
    const Bytes before = readWholeFile(path);
    f.doc.Fonts().AddConverted(tinyFont(true, "New"));
    f.doc.MarkModified(true);

    const int failures = failEachAllocation([&] { return f.ui.Show(f.doc.DoFileSave()); }, [&] {
        EXPECT_EQ(readWholeFile(path), before);
        EXPECT_EQ(filesIn(f.dir.path()), 1u);  // no temporary file left
        ASSERT_FALSE(f.ui.messages.empty());
        EXPECT_EQ(f.ui.messages.back().text, "keep.pdb was not saved: out of memory.");
        EXPECT_TRUE(f.doc.IsModified());
    });
    EXPECT_GE(failures, 2);  // the unique IDs and the file image
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(uniqueIDsInFile(path), (std::vector<std::uint32_t>{1, 2}));
}

TEST(CFontListLoad, RunningOutOfMemoryAnywhereOpensNothingAndSaysSo) {
    TempDir dir;
    const auto path = dir.file("big.pdb");
    writeWholeFile(path, typeholdFile({fontRecordWithID("A", 1), fontRecordWithID("B", 2)}, 65521));
    ScriptedDocumentUi ui;
    const int failures = failEachAllocation(
        [&] {
            CFontDoc doc(ui);
            const bool opened = ui.Show(doc.OnOpenDocument(path));
            EXPECT_EQ(doc.Fonts().Count(), opened ? 2u : 0u);
            return opened;
        },
        [&] {
            ASSERT_FALSE(ui.messages.empty());
            EXPECT_EQ(ui.messages.back().text, "big.pdb was not opened: out of memory.");
        });
    EXPECT_GE(failures, 5);  // the file, the block, and each record and its bytes
}

TEST(CFontListSave, AnAppInfoBlockPastItsBufferSurvivesOpenAndSave) {
    Fixture f;
    const auto path = f.dir.file("block.pdb");
    writeWholeFile(path, typeholdFile({fontRecordWithID("A", 1), fontRecordWithID("B", 2)}, 65521));
    ASSERT_TRUE(f.ui.Show(f.doc.OnOpenDocument(path)));
    ASSERT_EQ(f.doc.Fonts().Count(), 2u);
    f.doc.Fonts().AddConverted(tinyFont(false, "C"));
    ASSERT_TRUE(f.ui.Show(f.doc.DoFileSave()));
    CPalmDb back;
    ASSERT_EQ(back.ReadFromBytes(readWholeFile(path)), qz_gen::kDbOk);
    EXPECT_EQ(Bytes(back.AppInfo().begin(), back.AppInfo().end()), craftedAppInfo(65521));
    EXPECT_EQ(uniqueIDsInFile(path), (std::vector<std::uint32_t>{1, 2, 3}));
}

TEST(CFontListSave, NewIDsAreUniqueInTheTwentyFourBitsTheFileKeeps) {
    struct Case {
        const char* what;
        std::vector<CDbRecord> records;
        std::vector<std::uint32_t> ids;  // in the file after two fonts are added
    };
    const Case cases[] = {
        {"a deleted record holds the highest ID",
         {fontRecordWithID("A", 5), fontRecordWithID("B", 9), deletedRecordWithID(10)},
         {5, 9, 10, 11, 12}},
        {"the highest 24-bit ID is taken", {fontRecordWithID("A", 1), fontRecordWithID("B", 0xFFFFFF)},
         {1, 0xFFFFFF, 2, 3}},
        {"one ID left above the highest", {deletedRecordWithID(0xFFFFFE), fontRecordWithID("A", 2)},
         {0xFFFFFE, 2, 0xFFFFFF, 1}},
        {"the lowest free IDs fill gaps",
         {fontRecordWithID("A", 1), deletedRecordWithID(3), fontRecordWithID("B", 0xFFFFFF)},
         {1, 3, 0xFFFFFF, 2, 4}},
        {"two records of a foreign file share an ID", {fontRecordWithID("A", 7), fontRecordWithID("B", 7)},
         {7, 8, 9, 10}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        const auto path = f.dir.file("ids.pdb");
        writeWholeFile(path, typeholdFile(c.records));
        ASSERT_TRUE(f.ui.Show(f.doc.OnOpenDocument(path)));
        f.doc.Fonts().AddConverted(tinyFont(false, "C"));
        f.doc.Fonts().AddConverted(tinyFont(false, "D"));
        ASSERT_TRUE(f.ui.Show(f.doc.DoFileSave()));
        EXPECT_EQ(uniqueIDsInFile(path), c.ids);
    }
}

TEST(CFontListLoad, MaxUniqueIDCountsDeletedRecords) {
    Fixture f;
    const auto path = f.dir.file("deleted.pdb");
    writeWholeFile(path, typeholdFile({fontRecordWithID("A", 5), deletedRecordWithID(10), fontRecordWithID("B", 9)}));
    ASSERT_TRUE(f.ui.Show(f.doc.OnOpenDocument(path)));
    EXPECT_EQ(f.doc.Fonts().MaxUniqueID(), 10u);
}

TEST(CFontListLimits, A65535RecordFileTakesNoMoreAndSavesWhole) {
    // A handheld backup's worth of deleted records: the file is full though it lists no font.
    Fixture f;
    std::vector<CDbRecord> records;
    for (std::uint32_t id = 1; id <= CPalmDb::kMaxRecords; ++id) records.push_back(deletedRecordWithID(id));
    const auto path = f.dir.file("full.pdb");
    writeWholeFile(path, typeholdFile(records));
    ASSERT_TRUE(f.ui.Show(f.doc.OnOpenDocument(path)));
    auto& fonts = f.doc.Fonts();
    EXPECT_EQ(fonts.Count(), 0u);

    CFontList other;
    other.New();
    other.AddConverted(tinyFont(false, "Other"));
    Outcome refusal = Outcome::Done();
    EXPECT_EQ(fonts.AddConverted(tinyFont(false, "One too many"), &refusal), -1);
    f.ui.Show(refusal);
    EXPECT_EQ(fonts.AddCopy(*other.At(0), &refusal), -1);
    f.ui.Show(refusal);
    EXPECT_EQ(fonts.Count(), 0u);
    EXPECT_EQ(fonts.Database()->LiveCount(), CPalmDb::kMaxRecords);
    ASSERT_EQ(f.ui.messages.size(), 2u);
    for (const auto& m : f.ui.messages)
        EXPECT_EQ(m.text, "A Typehold file holds at most 65,535 records; no more fonts can be added.");

    ASSERT_TRUE(f.ui.Show(f.doc.DoFileSave()));
    CPalmDb back;
    ASSERT_EQ(back.ReadFromBytes(readWholeFile(path)), qz_gen::kDbOk);
    EXPECT_EQ(back.Header().numRecords, CPalmDb::kMaxRecords);
    EXPECT_EQ(back.LiveCount(), CPalmDb::kMaxRecords);

    // One more record, added behind the list's back, is refused at the write.
    const Bytes before = readWholeFile(path);
    CDbRecord extra = deletedRecordWithID(0x10000);
    ASSERT_EQ(fonts.Database()->AddRecord(extra), qz_gen::kDbOk);
    EXPECT_FALSE(f.ui.Show(f.doc.DoSave(path, true)));
    EXPECT_EQ(f.ui.messages.back().text, "full.pdb was not saved: more than 65,535 records.");
    EXPECT_EQ(readWholeFile(path), before);
    EXPECT_EQ(filesIn(f.dir.path()), 1u);
}

TEST(CFontDocSave, ThroughASymbolicLinkTheLinkStaysAndItsTargetGetsTheFonts) {
    Fixture f;
    const auto target = f.dir.file("real.pdb");
    const auto link = f.dir.file("link.pdb");
    writeWholeFile(target, typeholdFile({fontRecordWithID("A", 1)}));
    ASSERT_EQ(::symlink("real.pdb", link.c_str()), 0);
    ASSERT_TRUE(f.ui.Show(f.doc.OnOpenDocument(link)));
    f.doc.Fonts().AddConverted(tinyFont(false, "B"));
    ASSERT_TRUE(f.ui.Show(f.doc.DoFileSave()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), "real.pdb");
    EXPECT_EQ(uniqueIDsInFile(target), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(filesIn(f.dir.path()), 2u);
}

// Two documents of one file: the second saves after deleting a font; the first's Save must ask
// before it overwrites that, and keeps the file when told Cancel.
TEST(CFontDocSave, AsksBeforeOverwritingAFileChangedOnDisk) {
    TempDir dir;
    const auto path = dir.file("fonts.pdb");
    {
        Fixture f;
        f.doc.OnNewDocument("x");
        for (const char* name : {"Alpha", "Beta"}) ASSERT_GE(f.doc.Fonts().AddConverted(tinyFont(false, name)), 0);
        ASSERT_TRUE(f.ui.Show(f.doc.DoSave(path, true)));
    }
    ScriptedDocumentUi uiA, uiB;
    CFontDoc first(uiA), second(uiB);
    ASSERT_TRUE(uiA.Show(first.OnOpenDocument(path)));
    ASSERT_TRUE(uiB.Show(second.OnOpenDocument(path)));

    // Unchanged on disk: no question, and after its own save none either.
    first.MarkModified(true);
    ASSERT_TRUE(uiA.Show(first.DoFileSave()));
    ASSERT_TRUE(uiA.Show(first.DoFileSave()));
    EXPECT_TRUE(uiA.messages.empty());

    // The second window deleted a font and saved over the first's save: it is asked.
    ASSERT_TRUE(second.Fonts().Delete(second.Fonts().At(0)));
    second.MarkModified(true);
    uiB.answers = {1};  // OK
    ASSERT_TRUE(uiB.Show(second.DoFileSave()));
    ASSERT_EQ(uiB.messages.size(), 1u);
    EXPECT_EQ(uiB.messages[0].text,
              "fonts.pdb has been changed on disk since this document was opened or last saved, by another window or "
              "program.\n\nOverwrite it with this document? Cancel keeps the document open without saving.");
    EXPECT_EQ(uiB.messages[0].type & win::MB_TYPEMASK, win::MB_OKCANCEL);
    const auto afterDelete = readWholeFile(path);

    // The first window, still holding both fonts, is asked; Cancel leaves the second's file.
    first.MarkModified(true);
    uiA.answers = {2};  // Cancel
    EXPECT_FALSE(uiA.Show(first.DoFileSave()));
    ASSERT_EQ(uiA.messages.size(), 1u);
    EXPECT_EQ(readWholeFile(path), afterDelete);
    EXPECT_TRUE(first.IsModified());
    // Asked again, OK overwrites.
    uiA.answers = {1};
    EXPECT_TRUE(uiA.Show(first.DoFileSave()));
    EXPECT_EQ(uiA.messages.size(), 2u);
    EXPECT_NE(readWholeFile(path), afterDelete);
}
