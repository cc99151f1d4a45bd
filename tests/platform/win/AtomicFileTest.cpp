// Tests of writing a file in parts: every byte in order whatever the system takes per call.
#include "platform/win/AtomicFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
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
