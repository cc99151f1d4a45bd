// Tests of writing a file in parts (every byte in order whatever the system takes per call) and
// whole (it appears only when complete, keeps links and modes, and a failure leaves the old one).
#include "platform/win/AtomicFile.h"

#include "platform/win/FileCalls.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/wait.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

// Parts of the given sizes, their bytes counting on from part to part.
std::vector<Bytes> partsOf(const std::vector<std::size_t>& sizes) {
    std::vector<Bytes> parts;
    std::uint8_t next = 0;
    for (const std::size_t size : sizes) {
        Bytes part(size);
        for (auto& b : part) b = next++;
        parts.push_back(part);
    }
    return parts;
}

// What WriteParts puts through a pipe of one page, read slowly while a timer keeps interrupting
// the writer: a write the signal interrupts after some bytes went through returns early, so that
// many calls write only part of what they were given.
Bytes throughSmallPipe(const std::vector<Bytes>& parts) {
    int ends[2];
    if (::pipe(ends) != 0) return {};
    ::fcntl(ends[1], F_SETPIPE_SZ, 4096);
    sigset_t alarm;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    Bytes received;
    std::thread reader([&] {
        ::pthread_sigmask(SIG_BLOCK, &alarm, nullptr);  // the writer alone is interrupted
        std::uint8_t buffer[1000];
        for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
            received.insert(received.end(), buffer, buffer + n);
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    });
    struct sigaction interrupt {}, old {};
    interrupt.sa_handler = [](int) {};  // no SA_RESTART: the write returns what it has done
    sigaction(SIGALRM, &interrupt, &old);
    const itimerval every{{0, 300}, {0, 300}}, off{};
    setitimer(ITIMER_REAL, &every, nullptr);
    std::vector<std::span<const std::uint8_t>> spans(parts.begin(), parts.end());
    const bool written = win::WriteParts(ends[1], spans);
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &old, nullptr);
    ::close(ends[1]);
    reader.join();
    ::close(ends[0]);
    EXPECT_TRUE(written);
    return received;
}
}  // namespace

TEST(WriteParts, EveryByteInOrderWhateverEachCallTakes) {
    struct Case {
        const char* what;
        std::vector<std::size_t> sizes;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"empty parts only", {0, 0, 0}},
        {"one part over many pages", {70000}},
        {"parts cut across calls", {3000, 5000, 1, 0, 9000, 4096}},
        {"more parts than one call takes", std::vector<std::size_t>(2500, 7)},
        {"many parts over many pages", std::vector<std::size_t>(1500, 4100)},
        {"one part more than a call is handed", {300000}},
        {"parts across the bytes a call is handed", {100000, 100000, 0, 70000, 131072, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto parts = partsOf(c.sizes);
        Bytes expected;
        for (const auto& p : parts) expected.insert(expected.end(), p.begin(), p.end());
        EXPECT_EQ(throughSmallPipe(parts), expected);
    }
}

TEST(WriteParts, AClosedReaderIsAFailure) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const Bytes part(10, 1);
    const std::span<const std::uint8_t> parts[] = {part};
    // Writing to a pipe nobody reads raises SIGPIPE, which the test ignores to see the result.
    const auto old = ::signal(SIGPIPE, SIG_IGN);
    EXPECT_FALSE(win::WriteParts(ends[1], parts));
    ::signal(SIGPIPE, old);
    ::close(ends[1]);
}

namespace {
Bytes fileBytes(const std::string& path) {
    Bytes out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;) out.push_back(static_cast<std::uint8_t>(c));
        std::fclose(f);
    }
    return out;
}

bool write(const std::string& path, const Bytes& bytes, bool replace = true) {
    return win::writeFileAtomically(path, {std::span<const std::uint8_t>(bytes)}, replace);
}

// Names in a folder, sorted.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}
}  // namespace

TEST(WriteFileAtomically, KeepsLinksAndModesAndRefusesWhatItMustNotReplace) {
    TempDir dir;
    const std::string file = dir.file("HotSync.ini"), target = dir.file("real.ini");
    ASSERT_TRUE(write(target, {1}));
    ::chmod(target.c_str(), 0600);
    ASSERT_EQ(::symlink("real.ini", file.c_str()), 0);
    ASSERT_TRUE(write(file, {2, 2}));
    struct stat link {}, real {};
    ASSERT_EQ(::lstat(file.c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    ASSERT_EQ(::stat(target.c_str(), &real), 0);
    EXPECT_EQ(real.st_mode & 07777, 0600u);
    EXPECT_EQ(fileBytes(target), (Bytes{2, 2}));

    // Refusals leave the file as it was and say why.
    ::chmod(target.c_str(), 0444);
    EXPECT_FALSE(write(file, {3}));
    EXPECT_EQ(errno, EACCES);
    ::chmod(target.c_str(), 0644);
    EXPECT_FALSE(write(file, {3}, false));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(fileBytes(target), (Bytes{2, 2}));
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"HotSync.ini", "real.ini"}));
}

TEST(WriteFileAtomically, AFailingCallLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    const std::string file = dir.file("a.bmp");
    for (const win::FileCall call : {win::FileCall::Write, win::FileCall::Fsync, win::FileCall::Rename}) {
        SCOPED_TRACE(static_cast<int>(call));
        ASSERT_TRUE(write(file, {1, 2, 3}));
        win::InjectFileFault(call, 1);
        EXPECT_FALSE(write(file, {4, 5, 6, 7}));
        EXPECT_NE(errno, 0);
        win::ClearFileFaults();
        EXPECT_EQ(fileBytes(file), (Bytes{1, 2, 3}));
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"a.bmp"});
    }
    // A write that takes half is carried on.
    win::InjectFileFault(win::FileCall::Write, 1, win::FaultAction::Short);
    EXPECT_TRUE(write(file, {4, 5, 6, 7}));
    EXPECT_EQ(win::FileCallCount(win::FileCall::Write), 2);
    win::ClearFileFaults();
    EXPECT_EQ(fileBytes(file), (Bytes{4, 5, 6, 7}));
}

// A plan for any kind picks the nth call whatever its kind; a process ended at a write leaves
// nothing of it, or half its bytes, and runs nothing more.
TEST(FileCalls, AnyKindCountsEveryCallAndExitEndsTheProcess) {
    TempDir dir;
    const std::string file = dir.file("f");
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    Bytes first{1, 2, 3}, second{4, 5, 6, 7, 8};
    const iovec parts[] = {{first.data(), first.size()}, {second.data(), second.size()}};
    win::InjectFileFault(win::FileCall::Any, 3);
    EXPECT_EQ(win::Writev(fd, parts, 2), 8);
    EXPECT_EQ(win::Fsync(fd), 0);
    errno = 0;
    EXPECT_EQ(win::Ftruncate(fd, 2), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(win::FileCallCount(win::FileCall::Any), 3);
    EXPECT_EQ(win::FileCallCount(win::FileCall::Truncate), 1);
    ::close(fd);
    win::ClearFileFaults();

    const struct {
        win::FaultAction action;
        Bytes left;
    } cases[] = {{win::FaultAction::Exit, {}}, {win::FaultAction::ExitMidway, {1, 2, 3, 4}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.action));
        ASSERT_TRUE(write(file, {}));
        const pid_t child = ::fork();
        if (child == 0) {
            const int out = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
            win::InjectFileFault(win::FileCall::Write, 1, c.action);
            win::Writev(out, parts, 2);
            std::_Exit(3);  // the write came back
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(fileBytes(file), c.left);
    }
}

TEST(StaleTemporaries, OnlyThoseOfProcessesThatNoLongerRunGo) {
    TempDir dir;
    const std::string mine = win::TemporaryNameBeside(dir.file("Moon.pdb"));
    ASSERT_TRUE(write(mine, {1}));
    // Process 1 always runs; a number past the largest pid never does.
    for (const char* name : {"Moon.pdb.tmp0a1b2c.1", "Moon.pdb.tmp0a1b2c.99999999", "Moon.pdb.tmpzzzzzz.99999999",
                             "Moon.pdb", "notes.tmp"})
        ASSERT_TRUE(write(dir.file(name), {1}));
    EXPECT_FALSE(win::IsStaleTemporary(mine.substr(mine.find_last_of('/') + 1)));
    EXPECT_EQ(win::RemoveStaleTemporaries(dir.path()), 1);
    std::vector<std::string> kept = {"Moon.pdb", "Moon.pdb.tmp0a1b2c.1", "Moon.pdb.tmpzzzzzz.99999999", "notes.tmp",
                                     mine.substr(mine.find_last_of('/') + 1)};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(namesIn(dir.path()), kept);
}
