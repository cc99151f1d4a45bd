// Tests of a file mapped for reading, and of writing its bytes elsewhere by copying file to file:
// every byte in place among parts held in memory, under failing and short writes, and a refusal
// when the mapped file changed meanwhile.
#include "platform/win/MappedFile.h"

#include "platform/win/AtomicFile.h"
#include "platform/win/FileCalls.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <span>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes counting(std::size_t size, std::uint8_t from) {
    Bytes bytes(size);
    for (auto& b : bytes) b = from++;
    return bytes;
}

// Writes parts to a new file at path; its bytes, or none when WriteParts failed (errno kept).
std::optional<Bytes> writtenTo(const std::string& path, std::span<const std::span<const std::uint8_t>> parts) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return std::nullopt;
    const bool written = win::WriteParts(fd, parts);
    const int why = errno;
    ::close(fd);
    errno = why;
    if (!written) return std::nullopt;
    return readWholeFile(path);
}
}  // namespace

TEST(MappedFile, RefusesWhatCannotBeMapped) {
    TempDir dir;
    writeWholeFile(dir.file("empty"), {});
    const struct {
        const char* what;
        std::string path;
        int errnoValue;
    } cases[] = {
        {"a missing file", dir.file("missing"), ENOENT},
        {"an empty file", dir.file("empty"), EINVAL},
        {"a folder", dir.path(), EISDIR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        errno = 0;
        EXPECT_EQ(win::MappedFile::Open(c.path), nullptr);
        EXPECT_EQ(errno, c.errnoValue);
    }
}

TEST(MappedFile, HoldingFindsBytesOnlyWhollyInsideALiveMapping) {
    TempDir dir;
    writeWholeFile(dir.file("a"), counting(10000, 0));
    auto mapped = win::MappedFile::Open(dir.file("a"));
    ASSERT_NE(mapped, nullptr);
    const auto bytes = mapped->Bytes();
    ASSERT_EQ(bytes.size(), 10000u);
    EXPECT_EQ(bytes[9999], static_cast<std::uint8_t>(9999));
    const struct {
        const char* what;
        std::span<const std::uint8_t> piece;
        std::optional<std::uint64_t> offset;
    } cases[] = {
        {"the whole file", bytes, 0},
        {"a piece inside", bytes.subspan(4096, 100), 4096},
        {"the last byte", bytes.subspan(9999), 9999},
        {"a piece running past the end", {bytes.data() + 9990, 20}, std::nullopt},
        {"a piece starting before the start", {bytes.data() - 1, 2}, std::nullopt},
        {"nothing", bytes.subspan(10, 0), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto place = win::MappedFile::Holding(c.piece);
        ASSERT_EQ(place.has_value(), c.offset.has_value());
        if (!place) continue;
        EXPECT_EQ(place->file, mapped.get());
        EXPECT_EQ(place->offset, *c.offset);
    }
    const Bytes memory(10, 1);
    EXPECT_FALSE(win::MappedFile::Holding(memory).has_value());
    const std::span<const std::uint8_t> gone = bytes.subspan(0, 10);
    mapped.reset();
    EXPECT_FALSE(win::MappedFile::Holding(gone).has_value());
}

// Mapped pieces among pieces in memory reach the file in order, copied from the mapped file,
// whatever the copies take per call; a failing copy fails the write.
TEST(WriteParts, CopiesMappedPiecesFromTheirFile) {
    TempDir dir;
    const Bytes source = counting(3 << 20, 7);
    writeWholeFile(dir.file("source"), source);
    const auto mapped = win::MappedFile::Open(dir.file("source"));
    ASSERT_NE(mapped, nullptr);
    const auto file = mapped->Bytes();
    const Bytes head = counting(100, 200), tail = counting(5000, 50);
    const struct {
        const char* what;
        std::vector<std::span<const std::uint8_t>> parts;
        win::FaultAction fault;
        int nth;  // the write call that meets the fault; 0 for none
    } cases[] = {
        {"the whole file", {file}, win::FaultAction::Fail, 0},
        {"between pieces in memory", {head, file.subspan(1000, 2 << 20), tail}, win::FaultAction::Fail, 0},
        {"two mapped pieces out of order", {file.subspan(5000, 7), file.subspan(3, 4096)}, win::FaultAction::Fail, 0},
        {"copies cut short", {head, file.subspan(17)}, win::FaultAction::Short, 2},
        {"the first copy cut short", {file}, win::FaultAction::Short, 1},
        {"a copy failing", {head, file, tail}, win::FaultAction::Fail, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes expected;
        for (const auto part : c.parts) expected.insert(expected.end(), part.begin(), part.end());
        if (c.nth > 0) win::InjectFileFault(win::FileCall::Write, c.nth, c.fault);
        const auto written = writtenTo(dir.file("out"), c.parts);
        const int why = errno;
        win::ClearFileFaults();
        if (c.nth > 0 && c.fault == win::FaultAction::Fail) {
            EXPECT_FALSE(written.has_value());
            EXPECT_EQ(why, ENOSPC);
        } else {
            ASSERT_TRUE(written.has_value());
            EXPECT_TRUE(*written == expected);
        }
    }
}

// A mapped file written meanwhile, grown or cut short, is refused rather than copied as a mixture
// of two versions (or, cut short, read past its end).
TEST(WriteParts, RefusesAMappedFileChangedSinceItWasMapped) {
    const struct {
        const char* what;
        void (*change)(const std::string& path);
    } cases[] = {
        {"cut short", [](const std::string& path) { ASSERT_EQ(::truncate(path.c_str(), 4096), 0); }},
        {"grown", [](const std::string& path) { ASSERT_EQ(::truncate(path.c_str(), 20000), 0); }},
        {"written in place, length kept",
         [](const std::string& path) {
             const int fd = ::open(path.c_str(), O_WRONLY);
             // A new modification time, whatever the clock's resolution.
             const timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
             ASSERT_EQ(::pwrite(fd, "x", 1, 5000), 1);
             ASSERT_EQ(::futimens(fd, later), 0);
             ::close(fd);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeWholeFile(dir.file("source"), counting(10000, 0));
        const auto mapped = win::MappedFile::Open(dir.file("source"));
        ASSERT_NE(mapped, nullptr);
        c.change(dir.file("source"));
        const std::span<const std::uint8_t> parts[] = {mapped->Bytes().subspan(100, 1000)};
        errno = 0;
        EXPECT_FALSE(writtenTo(dir.file("out"), parts).has_value());
        EXPECT_EQ(errno, EBUSY);
    }
}

// Pieces read in file order through a small window, across its ends, longer than it, or held in
// memory: each read gives the piece's own bytes.
TEST(MappedFileReader, GivesEachPiecesBytesWhereverTheWindowLies) {
    TempDir dir;
    writeWholeFile(dir.file("a"), counting(50000, 3));
    writeWholeFile(dir.file("b"), counting(3000, 90));
    const auto a = win::MappedFile::Open(dir.file("a")), b = win::MappedFile::Open(dir.file("b"));
    ASSERT_TRUE(a && b);
    const Bytes memory = counting(100, 1);
    const auto fa = a->Bytes(), fb = b->Bytes();
    const struct {
        const char* what;
        std::span<const std::uint8_t> piece;
        bool fromWindow;  // false: the piece itself comes back
    } reads[] = {
        {"the start", fa.subspan(0, 10), true},
        {"further in the window", fa.subspan(3000, 1096), true},
        {"running past the window", fa.subspan(4000, 500), true},
        {"back before the window", fa.subspan(100, 20), true},
        {"longer than the window", fa.subspan(9000, 4097), false},
        {"another file", fb.subspan(2990, 10), true},
        {"bytes in memory", memory, false},
        {"the first file's end", fa.subspan(49990), true},
    };
    win::MappedFile::Reader reader(4096);
    for (const auto& r : reads) {
        SCOPED_TRACE(r.what);
        const auto got = reader.Read(r.piece);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), r.piece.begin(), r.piece.end()));
        EXPECT_EQ(got.data() == r.piece.data(), !r.fromWindow);
    }
}

// Where the system cannot copy from file to file (into a pipe, or a file opened for appending),
// mapped bytes are written from the mapping.
TEST(WriteParts, WritesMappedPiecesWhereTheyCannotBeCopied) {
    TempDir dir;
    const Bytes source = counting(200000, 9);
    writeWholeFile(dir.file("source"), source);
    const auto mapped = win::MappedFile::Open(dir.file("source"));
    ASSERT_NE(mapped, nullptr);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    Bytes received;
    std::thread reader([&] {
        std::uint8_t buffer[4096];
        for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;) received.insert(received.end(), buffer, buffer + n);
    });
    const Bytes head = counting(10, 77);
    const std::span<const std::uint8_t> parts[] = {head, mapped->Bytes().subspan(5)};
    EXPECT_TRUE(win::WriteParts(ends[1], parts));
    ::close(ends[1]);
    reader.join();
    ::close(ends[0]);
    Bytes expected = head;
    expected.insert(expected.end(), source.begin() + 5, source.end());
    EXPECT_TRUE(received == expected);

    // A file opened for appending takes no copy either.
    const int appended = ::open(dir.file("log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    ASSERT_GE(appended, 0);
    EXPECT_TRUE(win::WriteParts(appended, parts));
    ::close(appended);
    EXPECT_TRUE(readWholeFile(dir.file("log")) == expected);
}
