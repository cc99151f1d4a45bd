// ByteReader.h: bounds-checked reads of values in one byte order (big-endian handheld data
// unless told otherwise). A read that does not fit fails without moving, so a bad length field
// can never carry a parser past its buffer.
#pragma once

#include "platform/bytes/ByteOrder.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace bytes {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::endian order = std::endian::big)
        : bytes_(bytes), order_(order) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return bytes_.size(); }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    std::endian order() const { return order_; }

    std::optional<std::uint8_t> readU8() { return readNumber<std::uint8_t, 1>(); }
    std::optional<std::uint16_t> readU16() { return readNumber<std::uint16_t, 2>(); }
    std::optional<std::uint32_t> readU24() { return readNumber<std::uint32_t, 3>(); }
    std::optional<std::uint32_t> readU32() { return readNumber<std::uint32_t, 4>(); }
    // A two's-complement value, as readU16 reads it.
    std::optional<std::int16_t> readI16() {
        const auto v = readU16();
        if (!v) return std::nullopt;
        return static_cast<std::int16_t>(*v);
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
    template <typename T, std::size_t n>
    std::optional<T> readNumber() {
        if (remaining() < n) return std::nullopt;
        const auto v = static_cast<T>(detail::load<n>(bytes_.data() + pos_, order_));
        pos_ += n;
        return v;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    std::endian order_;
};

}  // namespace bytes
