// BytePipe.h: the byte stream under every link to a handheld (a TCP socket, a recording being
// replayed, bytes in memory), with a time-out on every wait. Whatever ends a session (a time-out,
// the peer closing, a malformed packet) is thrown as LinkError with a message that says why.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace palmdesk::link {

using Millis = std::chrono::milliseconds;

// The session cannot go on; what() says why ("no answer from the handheld within 5 s", ...).
class LinkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// No byte arrived within the time allowed; a wait that may end quietly (an acknowledgement that
// is resent after it) catches this one alone.
class LinkTimeout : public LinkError {
public:
    using LinkError::LinkError;
};

class BytePipe {
public:
    virtual ~BytePipe() = default;
    // Reads at least one and at most buffer.size() bytes; throws LinkError when none arrive
    // within timeout or the peer has gone.
    virtual std::size_t readSome(std::span<std::uint8_t> buffer, Millis timeout) = 0;
    // Writes all of data; throws LinkError when it cannot within timeout.
    virtual void writeAll(std::span<const std::uint8_t> data, Millis timeout) = 0;
    // Ends the stream; later reads and writes fail.
    virtual void close() = 0;
};

// Exactly buffer.size() bytes, each wait bounded by timeout.
void readExact(BytePipe& pipe, std::span<std::uint8_t> buffer, Millis timeout);
// The same for the rest of a packet that has begun: a time-out there is no quiet end but a packet
// cut short, reported as LinkError naming `what`.
void readRest(BytePipe& pipe, std::span<std::uint8_t> buffer, Millis timeout, const char* what);

// Bytes in memory: reads take from `input` (its end is the peer closing), writes are collected.
// For tests and fuzz targets; never waits.
class MemoryPipe final : public BytePipe {
public:
    explicit MemoryPipe(std::vector<std::uint8_t> input) : input_(std::move(input)) {}
    std::size_t readSome(std::span<std::uint8_t> buffer, Millis timeout) override;
    void writeAll(std::span<const std::uint8_t> data, Millis timeout) override;
    void close() override { closed_ = true; }
    const std::vector<std::uint8_t>& written() const { return written_; }
    // How many input bytes reads have taken.
    std::size_t consumed() const { return pos_; }

private:
    std::vector<std::uint8_t> input_;
    std::size_t pos_ = 0;
    std::vector<std::uint8_t> written_;
    bool closed_ = false;
};

// "0a1b" for {0x0a, 0x1b}; and back (none for odd lengths or other characters).
std::string toHex(std::span<const std::uint8_t> bytes);
bool fromHex(const std::string& text, std::vector<std::uint8_t>& bytes);

}  // namespace palmdesk::link
