// Tests of what typehold, pictconv and hotsync say when they are given the wrong thing: each
// refusal names the file and the cause, usage errors exit 2 in one line with a hint to --help, and
// no refused command creates or changes a file.
#include "core/qz_fileio/PalmDb.h"
#include "platform/bytes/ByteWriter.h"
#include "support/BmpBuilder.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {
ToolRun run(const char* binary, const std::string& args, const TempDir& dir) { return runTool(binary, args, dir.path()); }

// Every file below folder with its bytes, but for the captured stderr and the lock files. Folders
// are left out: reading the registry makes the desktop root when it is missing.
std::map<std::string, std::vector<std::uint8_t>> snapshot(const std::string& folder) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        const std::string relative = fs::relative(it->path(), folder).generic_string();
        if (relative == "palmdesk/.locks") {
            it.disable_recursion_pending();
            continue;
        }
        if (relative == "tool-stderr.txt" || it->is_directory()) continue;
        files[relative] = readWholeFile(it->path().string());
    }
    return files;
}

// A picture database as the conduit writes it: the info block (tag 12, the record's length), then
// the record in pieces of at most 4096 bytes.
std::vector<std::uint8_t> pictureDatabase(const std::vector<std::uint8_t>& record, std::size_t cutShort = 0) {
    qz_gen::CPalmDb db;
    db.SetName("Sunset");
    db.Header().type = 0x62706D66;     // bpmf
    db.Header().creator = 0x44724177;  // DrAw
    const auto n = static_cast<std::uint32_t>(record.size());
    std::uint8_t info[6];
    bytes::ByteWriter w(info);
    w.writeU16(12);  // tag
    w.writeU32(n);
    EXPECT_EQ(db.SetAppInfo(6, info), 0);
    for (std::size_t at = 0; at < record.size() - cutShort; at += 4096) {
        qz_gen::CDbRecord piece;
        const std::size_t length = std::min<std::size_t>(4096, record.size() - cutShort - at);
        EXPECT_EQ(piece.SetData(static_cast<std::uint32_t>(length), record.data() + at), 0);
        EXPECT_EQ(db.AddRecord(piece), 0);
    }
    db.SetLayoutFields();
    return db.ToBytes();
}

// A desktop with the user Ann, a Typehold file on her handheld, and files of every wrong kind.
struct Scene {
    Scene() {
        EXPECT_EQ(run(HOTSYNC_BIN, "init", dir).exitCode, 0);
        EXPECT_EQ(run(HOTSYNC_BIN, "user add Ann", dir).exitCode, 0);
        EXPECT_EQ(run(TYPEHOLD_BIN, "sample " + dir.file("sample.pdb"), dir).exitCode, 0);
        EXPECT_EQ(run(HOTSYNC_BIN, "store --user Ann --import " + dir.file("sample.pdb"), dir).exitCode, 0);
        const std::string text = "Shopping list\nmilk\n";
        writeWholeFile(dir.file("notes.txt"), std::vector<std::uint8_t>(text.begin(), text.end()));
        writeWholeFile(dir.file("pic.png"), {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D, 'I', 'H', 'D', 'R'});
        fs::create_directory(dir.file("folder"));
        BmpLayout bmp;
        bmp.width = 2;
        bmp.height = 2;
        bmp.bitCount = 24;
        bmp.pixels = std::vector<std::uint8_t>(16, 200);
        writeWholeFile(dir.file("in.bmp"), buildBmp(bmp));
        EXPECT_EQ(run(PICTCONV_BIN, "encode " + dir.file("in.bmp") + " -o " + dir.file("in.rec") + " --density 72", dir).exitCode, 0);
        writeWholeFile(dir.file("picture.pdb"), pictureDatabase(readWholeFile(dir.file("in.rec"))));
    }
    TempDir dir;
};

struct Case {
    const char* binary;
    std::string args;  // "@" stands for the scene's folder
    int exitCode;
    std::string fragment;  // of stderr
};

std::string expand(std::string text, const std::string& folder) {
    for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, folder);
    return text;
}

void runCases(const Scene& scene, const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        const std::string args = expand(c.args, scene.dir.path());
        SCOPED_TRACE(args);
        const auto before = snapshot(scene.dir.path());
        const ToolRun result = run(c.binary, args, scene.dir);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(expand(c.fragment, scene.dir.path())), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(snapshot(scene.dir.path()) == before) << "a file was created or changed";
    }
}
}  // namespace

TEST(CommandLineMessages, WrongFilesAreNamedWithTheirCause) {
    Scene scene;
    runCases(scene, {
        {TYPEHOLD_BIN, "list @/notes.txt", 1, "@/notes.txt: not a Typehold file (a Palm database): it looks like a text file"},
        {TYPEHOLD_BIN, "list @/pic.png", 1, "@/pic.png: not a Typehold file (a Palm database): it is a PNG picture"},
        {TYPEHOLD_BIN, "list @/folder", 1, "@/folder: is a folder, not a file"},
        {TYPEHOLD_BIN, "list @/missing.pdb", 1, "@/missing.pdb: no such file"},
        {TYPEHOLD_BIN, "list @/picture.pdb", 1, "not a Typehold file: a Palm database of type bpmf, creator DrAw"},
        {TYPEHOLD_BIN, "dump @/notes.txt", 1, "@/notes.txt: not a Palm database: it looks like a text file"},
        {TYPEHOLD_BIN, "rename @/notes.txt 0 --name X", 1, "@/notes.txt: not a Typehold file"},
        {TYPEHOLD_BIN, "delete @/pic.png 0", 1, "@/pic.png: not a Typehold file"},
        {TYPEHOLD_BIN, "merge @/sample.pdb @/notes.txt", 1, "typehold: @/notes.txt: not a Typehold file"},
        {TYPEHOLD_BIN, "merge @/new.pdb @/missing.pdb", 1, "typehold: @/missing.pdb: no such file"},
        {TYPEHOLD_BIN, "convert @/notes.txt --font 'DejaVu Sans'", 1, "@/notes.txt: not a Typehold file"},
        {TYPEHOLD_BIN, "convert /nonexistent/x.pdb --font 'DejaVu Sans'", 1,
         "/nonexistent/x.pdb: there is no folder /nonexistent"},
        {TYPEHOLD_BIN, "preview @/notes.txt -o @/p.png", 1, "@/notes.txt: not a Typehold file"},
        {TYPEHOLD_BIN, "install @/notes.txt", 1, "@/notes.txt: not a Typehold file"},
        {PICTCONV_BIN, "decode @/pic.png -o @/x.bmp", 1,
         "@/pic.png: neither a picture record nor a picture database: it is a PNG picture"},
        {PICTCONV_BIN, "decode @/in.bmp -o @/x.bmp", 1, "it is a .bmp picture (pictconv encode makes a record of one)"},
        {PICTCONV_BIN, "decode @/sample.pdb -o @/x.bmp", 1,
         "@/sample.pdb: a Palm database of type xFnt, creator FMGR, not a picture database"},
        {PICTCONV_BIN, "decode @/missing.rec -o @/x.bmp", 1, "@/missing.rec: no such file"},
        {PICTCONV_BIN, "decode @/in.rec -o /nonexistent/x.bmp", 1, "/nonexistent/x.bmp: there is no folder /nonexistent"},
        {PICTCONV_BIN, "encode @/missing.bmp -o @/x.rec", 1, "@/missing.bmp: no such file"},
        {PICTCONV_BIN, "encode @/notes.txt -o @/x.rec", 1, "@/notes.txt: not a .bmp file: it looks like a text file"},
        {PICTCONV_BIN, "encode @/folder -o @/x.rec", 1, "@/folder: is a folder, not a file"},
        {HOTSYNC_BIN, "store --user Ann --import @/missing.pdb", 1, "@/missing.pdb: no such file; nothing was imported"},
        {HOTSYNC_BIN, "store --user Ann --import @/picture.pdb @/notes.txt", 1,
         "@/notes.txt: not a Palm database (it looks like a text file); nothing was imported"},
        {HOTSYNC_BIN, "store --user Ann --export Nope -o @/x.pdb", 1, "no database \"Nope\" on the handheld of Ann"},
        {HOTSYNC_BIN, "action ZzZz --user Ann --permanent sync", 1, "no conduit is registered for the creator \"ZzZz\""},
        {HOTSYNC_BIN, "queue --user Ann --remove Nothing.pdb", 1, "\"Nothing.pdb\" is not queued for Ann"},
        {HOTSYNC_BIN, "queue --user Ann --remove ../Ann/HotSync.ini", 1, "is not queued for Ann"},
        {HOTSYNC_BIN, "register @/notes.txt", 1, "@/notes.txt: cannot be loaded as a conduit"},
    });
}

TEST(CommandLineMessages, NewOutputsNeverReplaceAFileUnasked) {
    Scene scene;
    runCases(scene, {
        {TYPEHOLD_BIN, "sample @/notes.txt", 1, "@/notes.txt: the file exists (use --overwrite to replace it)"},
        {TYPEHOLD_BIN, "sample @/folder", 1, "@/folder: is a folder, not a file"},
        {TYPEHOLD_BIN, "preview @/sample.pdb -o @/notes.txt", 1, "@/notes.txt: the file exists (use --overwrite"},
        {TYPEHOLD_BIN, "merge @/sample.pdb @/sample.pdb", 1, "@/sample.pdb: cannot merge a file into itself"},
        {TYPEHOLD_BIN, "merge @/sample.pdb @/../" + fs::path(scene.dir.path()).filename().string() + "/sample.pdb", 1,
         "cannot merge a file into itself"},
        {PICTCONV_BIN, "encode @/in.bmp -o @/notes.txt --density 72", 1, "@/notes.txt: the file exists (use --overwrite"},
        {PICTCONV_BIN, "sample sunset -o @/notes.txt", 1, "@/notes.txt: the file exists (use --overwrite"},
        {PICTCONV_BIN, "decode @/in.rec -o @/notes.txt", 1, "@/notes.txt: the file exists (use --overwrite"},
        {HOTSYNC_BIN, "store --user Ann --export 'Typehold Sample' -o @/notes.txt", 1,
         "@/notes.txt: the file exists (use --overwrite"},
    });
    // With --overwrite the file is replaced.
    const ToolRun replaced = run(PICTCONV_BIN, expand("sample moon -o @/notes.txt --overwrite", scene.dir.path()), scene.dir);
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(readWholeFile(scene.dir.file("notes.txt"))[0], 'B');
}

TEST(CommandLineMessages, UsageErrorsExitTwoWithAHint) {
    Scene scene;
    runCases(scene, {
        {TYPEHOLD_BIN, "", 2, "(see typehold --help)"},
        {TYPEHOLD_BIN, "frobnicate", 2, "(see typehold --help)"},
        {TYPEHOLD_BIN, "list", 2, "(see typehold list --help)"},
        {TYPEHOLD_BIN, "rename @/sample.pdb 0", 2, "typehold: give --name, --style or both (see typehold rename --help)"},
        {TYPEHOLD_BIN, "rename @/sample.pdb zero --name X", 2, "(see typehold rename --help)"},
        {TYPEHOLD_BIN, "fonts --charset martian", 2, "--charset: unknown character set \"martian\""},
        {TYPEHOLD_BIN, "convert @/new.pdb --font X --charset 300", 2, "unknown character set \"300\""},
        {PICTCONV_BIN, "decode @/in.rec", 2, "(see pictconv decode --help)"},
        {PICTCONV_BIN, "encode @/in.bmp -o @/x.rec --depth 4", 2, "(see pictconv encode --help)"},
        {HOTSYNC_BIN, "sync", 2, "(see hotsync sync --help)"},
        {HOTSYNC_BIN, "user", 2, "(see hotsync user --help)"},
        {HOTSYNC_BIN, "store --user Ann --export 'Typehold Sample'", 2, "--export needs -o FILE"},
    });
}

TEST(CommandLineMessages, AFreshDesktopSaysWhatToRun) {
    TempDir fresh;
    ASSERT_EQ(run(TYPEHOLD_BIN, "sample " + fresh.file("s.pdb"), fresh).exitCode, 0);
    const auto before = snapshot(fresh.path());
    ToolRun r = run(TYPEHOLD_BIN, "install " + fresh.file("s.pdb"), fresh);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Instaide.dll"), std::string::npos);
    EXPECT_NE(r.err.find("Run hotsync init first to set up the Palm desktop."), std::string::npos) << r.err;
    EXPECT_TRUE(snapshot(fresh.path()) == before);

    ASSERT_EQ(run(HOTSYNC_BIN, "init", fresh).exitCode, 0);
    r = run(HOTSYNC_BIN, "user list", fresh);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "hotsync: no Palm users (add one with hotsync user add NAME)\n");
    r = run(HOTSYNC_BIN, "conduits", fresh);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "hotsync: no conduits are registered (see hotsync register MODULE)\n");
    r = run(TYPEHOLD_BIN, "install " + fresh.file("s.pdb"), fresh);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Add one with hotsync user add NAME."), std::string::npos) << r.err;
}

TEST(PictconvDecode, TakesThePictureOutOfAPictureDatabase) {
    Scene scene;
    // A record over 4096 bytes, so that the database holds it in two pieces.
    BmpLayout bmp;
    bmp.width = 64;
    bmp.height = 40;
    bmp.bitCount = 24;
    for (int i = 0; i < 64 * 40; ++i) bmp.pixels.insert(bmp.pixels.end(), {std::uint8_t(i), std::uint8_t(i / 7), 90});
    writeWholeFile(scene.dir.file("big.bmp"), buildBmp(bmp));
    const auto& d = scene.dir;
    ASSERT_EQ(run(PICTCONV_BIN, "encode " + d.file("big.bmp") + " -o " + d.file("big.rec") + " --density 72 --no-compress", d).exitCode, 0);
    const auto record = readWholeFile(d.file("big.rec"));
    ASSERT_GT(record.size(), 4096u);
    writeWholeFile(d.file("big.pdb"), pictureDatabase(record));
    ASSERT_EQ(run(PICTCONV_BIN, "decode " + d.file("big.rec") + " -o " + d.file("from-record.bmp"), d).exitCode, 0);
    const ToolRun r = run(PICTCONV_BIN, "decode " + d.file("big.pdb") + " -o " + d.file("from-db.bmp"), d);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readWholeFile(d.file("from-db.bmp")), readWholeFile(d.file("from-record.bmp")));

    writeWholeFile(d.file("short.pdb"), pictureDatabase(record, 100));
    runCases(scene, {{PICTCONV_BIN, "decode @/short.pdb -o @/short.bmp", 1,
                      "the picture database holds " + std::to_string(record.size() - 100) + " of the " +
                          std::to_string(record.size()) + " bytes of its picture"}});
}

TEST(CommandLineMessages, CommandsSayWhatTheyDid) {
    Scene scene;
    const auto& d = scene.dir;
    ToolRun r = run(HOTSYNC_BIN, std::string("register ") + RECORDING_CONDUIT, d);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "registered recording_conduit.so for TeSt\n");

    // A file that is not a database stays queued until it is withdrawn.
    const std::string queue = d.path() + "/palmdesk/Users/Ann/Install";
    fs::create_directories(queue);
    writeWholeFile(queue + "/junk.pdb", {1, 2, 3});
    r = run(HOTSYNC_BIN, "sync --user Ann", d);
    ASSERT_EQ(r.exitCode, 1);  // the file left queued is a problem of the synchronisation
    EXPECT_TRUE(r.out.ends_with("\nHotSync completed with 1 problem (see the lines above).\n")) << r.out;
    EXPECT_EQ(run(HOTSYNC_BIN, "queue --user Ann", d).out, "junk.pdb\n");
    r = run(HOTSYNC_BIN, "queue --user Ann --remove junk.pdb", d);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "withdrew junk.pdb from the queue of Ann\n");
    EXPECT_EQ(run(HOTSYNC_BIN, "queue --user Ann", d).out, "");

    r = run(HOTSYNC_BIN, "unregister " + std::string(RECORDING_CONDUIT), d);
    EXPECT_EQ(r.out, "unregistered recording_conduit.so for TeSt\n");

    // The lock files of the registry, the INI files and the synchronisation are all in one folder.
    std::vector<std::string> lockFiles;
    for (const auto& entry : fs::recursive_directory_iterator(d.path()))
        if (entry.path().extension() == ".lock") lockFiles.push_back(fs::relative(entry.path(), d.path()).string());
    ASSERT_FALSE(lockFiles.empty());
    for (const auto& file : lockFiles) EXPECT_EQ(file.rfind("palmdesk/.locks/", 0), 0u) << file;
    EXPECT_TRUE(fs::exists(d.path() + "/palmdesk/.locks/Users%2FAnn%2F.hotsync.lock"));
}

TEST(CommandLineMessages, FontsHaveHeadingsAndCharacterSetsHaveNames) {
    TempDir dir;
    const ToolRun byNumber = run(TYPEHOLD_BIN, "fonts --charset 204", dir);
    ASSERT_EQ(byNumber.exitCode, 0) << byNumber.err;
    EXPECT_EQ(byNumber.out.rfind("FACE ", 0), 0u);
    EXPECT_NE(byNumber.out.find("DejaVu Sans                     Cyrillic               204"), std::string::npos);
    for (const char* name : {"cyrillic", "Cyrillic", "CYRILLIC"}) EXPECT_EQ(run(TYPEHOLD_BIN, std::string("fonts --charset ") + name, dir).out, byNumber.out);
    EXPECT_EQ(run(TYPEHOLD_BIN, "fonts --charset 'central european'", dir).out,
              run(TYPEHOLD_BIN, "fonts --charset central-european", dir).out);
    EXPECT_NE(run(TYPEHOLD_BIN, "fonts --charset central-european", dir).out.find("Central European       238"),
              std::string::npos);

    const ToolRun one = run(TYPEHOLD_BIN, "convert " + dir.file("one.pdb") + " --font 'DejaVu Sans' --charset western "
                                          "--sizes 9 --styles regular --no-hires", dir);
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(one.out, "converted 1 font into " + dir.file("one.pdb") + "\n");
}
