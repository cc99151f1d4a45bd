// SessionTrace.h: a session as the bytes that crossed the link, in the JSON form of the
// recordings: an array of {"type": "read" | "write", "data": "<hex>"}, in order, where "read" is
// what the desktop received and "write" what it sent. A chunk is what one read or write moved.
#pragma once

#include "palmdesk/link/BytePipe.h"
#include "palmdesk/link/MessageLink.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace palmdesk::link {

struct TraceChunk {
    enum Direction { kRead, kWrite };
    Direction direction = kRead;
    std::vector<std::uint8_t> data;
    bool operator==(const TraceChunk&) const = default;
};
using SessionTrace = std::vector<TraceChunk>;

// False, with why ("chunk 3: data is not hex"), for text that is not such an array.
bool parseTrace(std::string_view json, SessionTrace& trace, std::string& why);
bool readTraceFile(const std::string& path, SessionTrace& trace, std::string& why);
std::string formatTrace(const SessionTrace& trace);
// Written to a temporary file beside path and renamed over it.
bool writeTraceFile(const std::string& path, const SessionTrace& trace, std::string& why);

// The bytes of every chunk of one direction, back to back.
std::vector<std::uint8_t> joinChunks(const SessionTrace& trace, TraceChunk::Direction direction);

// Passes everything through to another pipe and notes it in a trace, from the desktop's point of
// view whichever side `role` is.
class TracingPipe final : public BytePipe {
public:
    TracingPipe(BytePipe& inner, Role role) : inner_(inner), role_(role) {}
    std::size_t readSome(std::span<std::uint8_t> buffer, Millis timeout) override;
    void writeAll(std::span<const std::uint8_t> data, Millis timeout) override;
    void close() override { inner_.close(); }
    const SessionTrace& trace() const { return trace_; }

private:
    void note(TraceChunk::Direction direction, std::span<const std::uint8_t> data);

    BytePipe& inner_;
    Role role_;
    SessionTrace trace_;
};

// Plays one side of a recorded session: reads return what the other side sent, in the recorded
// chunks; writes are collected for comparison with what was recorded. The end of the recording
// is the peer closing the link.
class ReplayPipe final : public BytePipe {
public:
    ReplayPipe(const SessionTrace& trace, Role role);
    std::size_t readSome(std::span<std::uint8_t> buffer, Millis timeout) override;
    void writeAll(std::span<const std::uint8_t> data, Millis timeout) override;
    void close() override { closed_ = true; }
    const std::vector<std::uint8_t>& written() const { return written_; }

private:
    std::vector<std::vector<std::uint8_t>> incoming_;
    std::size_t chunk_ = 0, pos_ = 0;
    std::vector<std::uint8_t> written_;
    bool closed_ = false;
};

}  // namespace palmdesk::link
