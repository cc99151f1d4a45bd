// ByteReader.h: bounds-checked reads of big-endian handheld data. A read that does not fit fails
// without moving, so a bad length field can never carry a parser past its buffer.
#pragma once

#include "ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qz_gen {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return bytes_.size(); }
    std::size_t remaining() const { return bytes_.size() - pos_; }

    std::optional<std::uint8_t> readU8() {
        if (remaining() < 1) return std::nullopt;
        return bytes_[pos_++];
    }
    std::optional<std::uint16_t> readU16() {
        if (remaining() < 2) return std::nullopt;
        const auto v = loadU16BE(bytes_.data() + pos_);
        pos_ += 2;
        return v;
    }
    std::optional<std::uint32_t> readU24() {
        if (remaining() < 3) return std::nullopt;
        const auto v = loadU24BE(bytes_.data() + pos_);
        pos_ += 3;
        return v;
    }
    std::optional<std::uint32_t> readU32() {
        if (remaining() < 4) return std::nullopt;
        const auto v = loadU32BE(bytes_.data() + pos_);
        pos_ += 4;
        return v;
    }
    // The next n bytes, as a view into the buffer.
    std::optional<std::span<const std::uint8_t>> take(std::size_t n) {
        if (remaining() < n) return std::nullopt;
        auto part = bytes_.subspan(pos_, n);
        pos_ += n;
        return part;
    }
    bool skip(std::size_t n) { return take(n).has_value(); }
    bool seek(std::size_t position) {
        if (position > bytes_.size()) return false;
        pos_ = position;
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace qz_gen
