// BytePipe.cpp: reading whole buffers, the in-memory pipe and hex text.
#include "palmdesk/link/BytePipe.h"

#include <algorithm>

namespace palmdesk::link {

void readExact(BytePipe& pipe, std::span<std::uint8_t> buffer, Millis timeout) {
    std::size_t got = 0;
    while (got < buffer.size()) got += pipe.readSome(buffer.subspan(got), timeout);
}

void readRest(BytePipe& pipe, std::span<std::uint8_t> buffer, Millis timeout, const char* what) {
    try {
        readExact(pipe, buffer, timeout);
    } catch (const LinkTimeout& e) {
        throw LinkError(std::string(what) + " stopped half-way: " + e.what());
    }
}

std::size_t MemoryPipe::readSome(std::span<std::uint8_t> buffer, Millis) {
    if (closed_) throw LinkError("the link is closed");
    if (pos_ >= input_.size()) throw LinkError("the handheld closed the connection");
    const std::size_t n = std::min(buffer.size(), input_.size() - pos_);
    std::copy_n(input_.begin() + static_cast<std::ptrdiff_t>(pos_), n, buffer.begin());
    pos_ += n;
    return n;
}

void MemoryPipe::writeAll(std::span<const std::uint8_t> data, Millis) {
    if (closed_) throw LinkError("the link is closed");
    written_.insert(written_.end(), data.begin(), data.end());
}

std::string toHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

bool fromHex(const std::string& text, std::vector<std::uint8_t>& bytes) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = digit(text[i]), lo = digit(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    return true;
}

}  // namespace palmdesk::link
