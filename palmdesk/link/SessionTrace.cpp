// SessionTrace.cpp: the recordings' JSON, and pipes that record and replay sessions.
#include "palmdesk/link/SessionTrace.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace palmdesk::link {

bool parseTrace(std::string_view json, SessionTrace& trace, std::string& why) {
    trace.clear();
    const nlohmann::json doc = nlohmann::json::parse(json, nullptr, false);
    if (doc.is_discarded()) {
        why = "not JSON";
        return false;
    }
    if (!doc.is_array()) {
        why = "not an array of chunks";
        return false;
    }
    for (std::size_t i = 0; i < doc.size(); ++i) {
        const auto& item = doc[i];
        const std::string at = "chunk " + std::to_string(i + 1) + ": ";
        if (!item.is_object() || !item.contains("type") || !item.contains("data") || !item["type"].is_string() ||
            !item["data"].is_string()) {
            why = at + "needs a \"type\" and a \"data\" string";
            return false;
        }
        TraceChunk chunk;
        const std::string type = item["type"].get<std::string>();
        if (type == "read") {
            chunk.direction = TraceChunk::kRead;
        } else if (type == "write") {
            chunk.direction = TraceChunk::kWrite;
        } else {
            why = at + "type \"" + type + "\" is neither \"read\" nor \"write\"";
            return false;
        }
        if (!fromHex(item["data"].get<std::string>(), chunk.data)) {
            why = at + "data is not hex";
            return false;
        }
        trace.push_back(std::move(chunk));
    }
    return true;
}

bool readTraceFile(const std::string& path, SessionTrace& trace, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!parseTrace(text.str(), trace, why)) {
        why = path + ": " + why;
        return false;
    }
    return true;
}

std::string formatTrace(const SessionTrace& trace) {
    nlohmann::json doc = nlohmann::json::array();
    for (const auto& chunk : trace)
        doc.push_back({{"type", chunk.direction == TraceChunk::kRead ? "read" : "write"}, {"data", toHex(chunk.data)}});
    return doc.dump(2) + "\n";
}

bool writeTraceFile(const std::string& path, const SessionTrace& trace, std::string& why) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << formatTrace(trace);
        out.flush();
        if (!out) {
            why = temporary + ": " + std::strerror(errno);
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        why = path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::vector<std::uint8_t> joinChunks(const SessionTrace& trace, TraceChunk::Direction direction) {
    std::vector<std::uint8_t> out;
    for (const auto& chunk : trace)
        if (chunk.direction == direction) out.insert(out.end(), chunk.data.begin(), chunk.data.end());
    return out;
}

void TracingPipe::note(TraceChunk::Direction direction, std::span<const std::uint8_t> data) {
    if (role_ == Role::kHandheld) direction = direction == TraceChunk::kRead ? TraceChunk::kWrite : TraceChunk::kRead;
    trace_.push_back({direction, {data.begin(), data.end()}});
}

std::size_t TracingPipe::readSome(std::span<std::uint8_t> buffer, Millis timeout) {
    const std::size_t n = inner_.readSome(buffer, timeout);
    note(TraceChunk::kRead, buffer.first(n));
    return n;
}

void TracingPipe::writeAll(std::span<const std::uint8_t> data, Millis timeout) {
    inner_.writeAll(data, timeout);
    note(TraceChunk::kWrite, data);
}

ReplayPipe::ReplayPipe(const SessionTrace& trace, Role role) {
    // The desktop reads what the handheld sent ("read"), the handheld what the desktop sent.
    const auto wanted = role == Role::kDesktop ? TraceChunk::kRead : TraceChunk::kWrite;
    for (const auto& chunk : trace)
        if (chunk.direction == wanted && !chunk.data.empty()) incoming_.push_back(chunk.data);
}

std::size_t ReplayPipe::readSome(std::span<std::uint8_t> buffer, Millis) {
    if (closed_) throw LinkError("the link is closed");
    if (chunk_ >= incoming_.size()) throw LinkError("the recording ends here");
    const auto& chunk = incoming_[chunk_];
    const std::size_t n = std::min(buffer.size(), chunk.size() - pos_);
    std::copy_n(chunk.begin() + static_cast<std::ptrdiff_t>(pos_), n, buffer.begin());
    pos_ += n;
    if (pos_ == chunk.size()) {
        ++chunk_;
        pos_ = 0;
    }
    return n;
}

void ReplayPipe::writeAll(std::span<const std::uint8_t> data, Millis) {
    if (closed_) throw LinkError("the link is closed");
    written_.insert(written_.end(), data.begin(), data.end());
}

}  // namespace palmdesk::link
