// Tests of CFile against a real file system: open flags, share modes, errors and short reads.
#include "core/qz_fileio/File.h"

#include "core/qz_fileio/AtomicWrite.h"
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/DbRecord.h"
#include "core/qz_fileio/PalmDb.h"
#include "core/qz_fileio/StringTable.h"
#include "platform/win/FileCalls.h"
#include "platform/win/MappedFile.h"
#include "support/ExceptionCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using qz_gen::CFile;

TEST(CFileOpen, MissingFileForReadingIsFileNotFound) {
    TempDir dir;
    CFile file;
    auto e = catchFileException([&] { file.Open(dir.file("absent.pdb"), CFile::modeRead); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->GetCause(), qz_gen::kCauseFileNotFound);
    EXPECT_EQ(e->GetOsError(), 2u);
    EXPECT_STREQ(e->GetMessage(), "fileNotFound");
    EXPECT_EQ(std::string(e->GetFileName()), dir.file("absent.pdb"));
    EXPECT_FALSE(file.IsOpen());
}

TEST(CFileOpen, MissingFolderIsBadPath) {
    TempDir dir;
    CFile file;
    auto e = catchFileException([&] { file.Open(dir.file("no/such/a.pdb"), 0x1002); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->GetOsError(), 3u);
    EXPECT_STREQ(e->GetMessage(), "badPath");
}

TEST(CFileOpen, CreateTruncatesUnlessToldNotTo) {
    TempDir dir;
    const auto path = dir.file("a.bin");
    writeWholeFile(path, {1, 2, 3});
    {
        CFile file;
        file.Open(path, CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate);
        EXPECT_EQ(file.GetLength(), 3);
    }
    {
        CFile file;
        file.Open(path, CFile::modeReadWrite | CFile::modeCreate);
        EXPECT_EQ(file.GetLength(), 0);
        EXPECT_EQ(file.Write("xy", 2), 2u);
        EXPECT_EQ(file.GetPosition(), 2);
    }
    EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{'x', 'y'}));
}

TEST(CFileOpen, FileHeldByAnotherOpenIsASharingViolationAndKeepsItsBytes) {
    TempDir dir;
    const auto path = dir.file("held.pdb");
    writeWholeFile(path, {9, 9, 9});
    CFile holder;
    holder.Open(path, CFile::modeRead);  // share nothing
    CFile second;
    auto e = catchFileException([&] { second.Open(path, 0x1002); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->GetMessage(), "sharingViolation");
    EXPECT_EQ(readWholeFile(path).size(), 3u);  // the create did not truncate the held file

    // Readers that allow other readers coexist; a writer waits for both.
    holder.Close();
    CFile a, b, writer;
    a.Open(path, CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_TRUE(b.Open(path, CFile::modeRead | CFile::shareDenyWrite));
    EXPECT_TRUE(catchFileException([&] { writer.Open(path, CFile::modeWrite); }));
}

TEST(CFileRead, ShortReadIsFileIoReadError) {
    TempDir dir;
    const auto path = dir.file("short.pdb");
    writeWholeFile(path, std::vector<std::uint8_t>(40, 0));
    CFile file;
    file.Open(path, CFile::modeRead);
    std::uint8_t header[78];
    auto e = catchException([&] { file.Read(header, sizeof header); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->GetMessage(), "File IO read error");
    EXPECT_EQ(e->GetCode(), qz_gen::kCodeReadError);
}

TEST(CFileSeek, BadOriginOrNegativePositionIsFileIo) {
    TempDir dir;
    const auto path = dir.file("s.bin");
    writeWholeFile(path, {1});
    CFile file;
    file.Open(path, CFile::modeRead);
    auto e = catchException([&] { file.Seek(-5, CFile::begin); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->GetMessage(), "File IO");
    EXPECT_EQ(e->GetCode(), qz_gen::kCodeSeekError);
    EXPECT_TRUE(catchException([&] { file.Seek(0, 7); }));
}

TEST(CFileClassOperations, ExistsAndRemove) {
    TempDir dir;
    const auto path = dir.file("x");
    EXPECT_FALSE(CFile::Exists(path));
    writeWholeFile(path, {});
    EXPECT_TRUE(CFile::Exists(path));
    EXPECT_TRUE(CFile::Exists(dir.path()));
    CFile::Remove(path);
    EXPECT_FALSE(CFile::Exists(path));
    auto e = catchFileException([&] { CFile::Remove(path); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->GetMessage(), "fileNotFound");
    EXPECT_EQ(e->GetFileName(), nullptr);
}

TEST(WriteFileAtomically, FailureLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    const auto path = dir.file("doc.pdb");
    writeWholeFile(path, {1, 2, 3, 4});
    auto e = catchException([&] {
        qz_gen::WriteFileAtomically(path, [](CFile& f) {
            f.Write("partial", 7);
            qz_gen::ThrowException(qz_gen::kStrWriteError, qz_gen::kCodeWriteError);
        });
    });
    ASSERT_TRUE(e);
    EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST(WriteFileAtomically, ReplacesTheFileKeepingItsPermissions) {
    TempDir dir;
    const auto path = dir.file("doc.pdb");
    writeWholeFile(path, {1});
    ::chmod(path.c_str(), 0640);
    qz_gen::WriteFileAtomically(path, [](CFile& f) { f.Write("new", 3); });
    EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(WriteFileAtomically, MissingFolderIsBadPath) {
    TempDir dir;
    auto e = catchFileException(
        [&] { qz_gen::WriteFileAtomically(dir.file("gone/doc.pdb"), [](CFile&) {}); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->GetMessage(), "badPath");
}

namespace {
using Bytes = std::vector<std::uint8_t>;

std::size_t entriesIn(const std::string& folder) {
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++entries;
    return entries;
}

constexpr uid_t kNobody = 65534;

// Runs body as a user without privileges, so that folder permissions apply: in a child process
// that gives up root when the tests run as root. True when body returned true.
bool asUnprivilegedUser(const std::function<bool()>& body) {
    if (::geteuid() != 0) return body();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && body();
        std::_Exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
}  // namespace

TEST(ReplaceFileContents, FollowsSymbolicLinksAndKeepsThem) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // link name, what it points at
        const char* saved;                                       // the name saved through
        const char* target;                                      // the file that gets the bytes
        bool targetExists;
    };
    const Case cases[] = {
        {"a link to a file", {{"link.pdb", "real.pdb"}}, "link.pdb", "real.pdb", true},
        {"a chain of links", {{"one.pdb", "two.pdb"}, {"two.pdb", "real.pdb"}}, "one.pdb", "real.pdb", true},
        {"a link into a folder", {{"link.pdb", "sub/real.pdb"}}, "link.pdb", "sub/real.pdb", true},
        {"a link to no file yet", {{"link.pdb", "new.pdb"}}, "link.pdb", "new.pdb", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        std::filesystem::create_directory(dir.file("sub"));
        if (c.targetExists) writeWholeFile(dir.file(c.target), {1, 2, 3});
        for (const auto& [name, to] : c.links) ASSERT_EQ(::symlink(to.c_str(), dir.file(name).c_str()), 0);
        const std::size_t before = entriesIn(dir.path()) + entriesIn(dir.file("sub"));
        qz_gen::ReplaceFileContents(dir.file(c.saved), Bytes{'n', 'e', 'w'});
        EXPECT_EQ(readWholeFile(dir.file(c.target)), (Bytes{'n', 'e', 'w'}));
        for (const auto& [name, to] : c.links) {
            EXPECT_TRUE(std::filesystem::is_symlink(dir.file(name)));
            EXPECT_EQ(std::filesystem::read_symlink(dir.file(name)), to);
        }
        EXPECT_EQ(entriesIn(dir.path()) + entriesIn(dir.file("sub")), before + (c.targetExists ? 0 : 1));
    }
    TempDir dir;
    ::symlink("loop.pdb", dir.file("loop.pdb").c_str());
    EXPECT_TRUE(catchFileException([&] { qz_gen::ReplaceFileContents(dir.file("loop.pdb"), Bytes{1}); }));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("loop.pdb")));
}

TEST(ReplaceFileContents, KeepsOwnerGroupAndPermissions) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
    TempDir dir;
    const auto path = dir.file("doc.pdb");
    writeWholeFile(path, {1});
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    qz_gen::ReplaceFileContents(path, Bytes{2, 3});
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(readWholeFile(path), (Bytes{2, 3}));
}

TEST(ReplaceFileContents, WritesInPlaceOnlyWhenTheFolderAloneRefusesATemporaryFile) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const auto folder = dir.file("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const auto path = folder + "/doc.pdb";
    const auto readOnly = folder + "/readonly.pdb";
    writeWholeFile(path, Bytes(100, 1));
    writeWholeFile(readOnly, Bytes{4, 4});
    ::chmod(path.c_str(), 0666);
    ::chmod(readOnly.c_str(), 0444);
    ::chmod(folder.c_str(), 0555);
    struct stat before {};
    ::stat(path.c_str(), &before);

    const bool asExpected = asUnprivilegedUser([&] {
        // The image is complete in memory: written over the file, which shrinks to it.
        if (catchException([&] { qz_gen::ReplaceFileContents(path, Bytes{'n', 'e', 'w'}); })) return false;
        // A file the user may not write is refused as before.
        const auto denied = catchFileException([&] { qz_gen::ReplaceFileContents(readOnly, Bytes{9}); });
        // A writer that builds the file as it goes never writes in place.
        const auto streamed = catchFileException(
            [&] { qz_gen::WriteFileAtomically(path, [](CFile& f) { f.Write("x", 1); }); });
        return denied && denied->GetCause() == qz_gen::kCauseAccessDenied && streamed &&
               streamed->GetCause() == qz_gen::kCauseAccessDenied;
    });
    ::chmod(folder.c_str(), 0755);
    EXPECT_TRUE(asExpected);
    EXPECT_EQ(readWholeFile(path), (Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(readWholeFile(readOnly), (Bytes{4, 4}));
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);  // the same file, written in place
    EXPECT_EQ(entriesIn(folder), 2u);
}

// A database of record sizes, each record filled with its own value.
void fillDatabase(qz_gen::CPalmDb& db, std::initializer_list<std::size_t> sizes, std::uint8_t fill) {
    db.SetName("Fonts");
    db.Header().type = 0x78466E74;
    db.Header().creator = 0x464D4752;
    for (const std::size_t size : sizes) {
        qz_gen::CDbRecord record;
        const Bytes bytes(size, fill++);
        record.SetData(static_cast<std::uint32_t>(bytes.size()), bytes.data());
        db.AddRecordClearFlags(record);
    }
    db.SetLayoutFields();
}

// Killed at every write of an in-place save (before it, or half-way through its bytes), the file
// is afterwards the old one, the new one, or one the reader refuses: never records that were not
// there. The same where the file system cannot reserve space.
TEST(ReplaceFileContents, InPlaceSaveKilledAtAnyWriteLeavesOldNewOrRefused) {
    const struct {
        const char* what;
        std::initializer_list<std::size_t> before, after;
    } cases[] = {
        {"the file shrinks", {300, 300, 300}, {200, 40}},
        {"the file grows", {40, 60}, {500, 500, 500}},
        {"one record to none", {120}, {}},
    };
    for (const auto& c : cases) {
        for (const bool reserve : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (reserve ? "" : ", no space reserved"));
            TempDir dir;
            ::chmod(dir.path().c_str(), 0755);
            const auto folder = dir.file("locked");
            ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
            const auto path = folder + "/doc.pdb";
            qz_gen::CPalmDb oldDb, newDb;
            fillDatabase(oldDb, c.before, 1);
            fillDatabase(newDb, c.after, 100);
            const Bytes oldBytes = oldDb.ToBytes();
            const Bytes newBytes = newDb.ToBytes();
            int kills = 0;
            bool completed = false;
            for (std::uint64_t at = 1; !completed; ++at) {
                for (const auto point : {win::FaultAction::Exit, win::FaultAction::ExitMidway}) {
                    ::chmod(folder.c_str(), 0755);
                    writeWholeFile(path, oldBytes);
                    ::chmod(path.c_str(), 0666);
                    ::chmod(folder.c_str(), 0555);  // no temporary file: written in place
                    const pid_t child = ::fork();
                    if (child == 0) {
                        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) std::_Exit(2);
                        win::PretendReserveUnsupported(!reserve);
                        win::InjectFileFault(win::FileCall::Any, static_cast<int>(at), point);
                        qz_gen::WriteDatabaseFile(path, newDb);
                        std::_Exit(3);  // not killed: the save had fewer writes
                    }
                    int status = 0;
                    ASSERT_EQ(::waitpid(child, &status, 0), child);
                    ASSERT_TRUE(WIFEXITED(status));
                    const Bytes onDisk = readWholeFile(path);
                    if (WEXITSTATUS(status) == 3) {
                        EXPECT_EQ(onDisk, newBytes);
                        // placeholder, flush, the rest, length, flush, header, flush: each twice
                        EXPECT_EQ(kills, 2 * 7);
                        completed = true;
                        break;
                    }
                    ASSERT_EQ(WEXITSTATUS(status), 0);
                    ++kills;
                    SCOPED_TRACE("killed at write " + std::to_string(at));
                    if (onDisk == oldBytes || onDisk == newBytes) continue;
                    qz_gen::CPalmDb read;
                    EXPECT_TRUE(catchException([&] { read.ReadFromBytes(onDisk); }))
                        << "a torn file was read as a database of " << read.LiveCount() << " records";
                }
            }
            ::chmod(folder.c_str(), 0755);
        }
    }
}

// A database read through a mapping of its file and saved over that same file, as typehold saves
// a file it converted into: the records come out as read, whether the save goes through a
// temporary file or, in a folder that refuses one, in place over the bytes it reads from. The
// entry of a record added moves every record 8 bytes further into the file.
TEST(WriteDatabaseFile, SavesADatabaseMappedFromTheFileItReplaces) {
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "through a temporary file");
        TempDir dir;
        ::chmod(dir.path().c_str(), 0755);
        const auto folder = dir.file("fonts");
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        const auto path = folder + "/doc.pdb";
        qz_gen::CPalmDb original;
        fillDatabase(original, {70000, 5000, 1, 300000, 4096}, 1);
        writeWholeFile(path, original.ToBytes());
        ::chmod(path.c_str(), 0666);
        const auto withNewRecord = [](qz_gen::CPalmDb& db) {
            qz_gen::CDbRecord record;
            const Bytes bytes(100, 0xEE);
            record.SetData(static_cast<std::uint32_t>(bytes.size()), bytes.data());
            db.AddRecordClearFlags(record);
            db.SetLayoutFields();
        };
        qz_gen::CPalmDb expected;
        expected.ReadFromBytes(original.ToBytes());
        withNewRecord(expected);
        const Bytes expectedBytes = expected.ToBytes();

        if (inPlace) ::chmod(folder.c_str(), 0555);
        const bool saved = asUnprivilegedUser([&] {
            qz_gen::CPalmDb db;
            CFile file;
            file.Open(path, CFile::modeRead);
            if (db.Read(file, qz_gen::CPalmDb::Hold::Map) != qz_gen::kDbOk) return false;
            file.Close();
            // The records are the file's own bytes, not a copy.
            if (!win::MappedFile::Holding(db.RecordAt(3)->Bytes())) return false;
            withNewRecord(db);
            return !catchException([&] { qz_gen::WriteDatabaseFile(path, db); });
        });
        ::chmod(folder.c_str(), 0755);
        EXPECT_TRUE(saved);
        EXPECT_TRUE(readWholeFile(path) == expectedBytes);
    }
}

TEST(CFileReserve, LeavesTheLengthAndContents) {
    TempDir dir;
    const auto path = dir.file("r");
    writeWholeFile(path, {1, 2});
    CFile file;
    file.Open(path, CFile::modeReadWrite);
    file.Reserve(1 << 20);
    EXPECT_EQ(file.GetLength(), 2);
    file.Close();
    EXPECT_EQ(readWholeFile(path), (Bytes{1, 2}));
}
