// Tests of CFile against a real file system: open flags, share modes, errors and short reads.
#include "core/qz_fileio/File.h"

#include "core/qz_fileio/AtomicWrite.h"
#include "core/qz_fileio/StringTable.h"
#include "support/ExceptionCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

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
