// ByteWriter.h: values written one after another in one byte order (big-endian handheld data
// unless told otherwise), either appended to a vector or laid over a buffer of fixed size. Over a
// buffer, a write that does not fit fails without writing or moving, as ByteReader's reads do.
#pragma once

#include "platform/bytes/ByteOrder.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace bytes {

class ByteWriter {
public:
    // Appends to out, after what it already holds; never fails (std::bad_alloc when memory runs out).
    explicit ByteWriter(std::vector<std::uint8_t>& out, std::endian order = std::endian::big)
        : grown_(&out), order_(order) {}
    // Writes over buffer from its first byte.
    explicit ByteWriter(std::span<std::uint8_t> buffer, std::endian order = std::endian::big)
        : fixed_(buffer), order_(order) {}

    // How many bytes this writer has written.
    std::size_t position() const { return pos_; }

    bool writeU8(std::uint8_t v) { return writeNumber<1>(v); }
    bool writeU16(std::uint16_t v) { return writeNumber<2>(v); }
    bool writeU24(std::uint32_t v) { return writeNumber<3>(v); }
    bool writeU32(std::uint32_t v) { return writeNumber<4>(v); }
    // Two's-complement values, written as the unsigned ones.
    bool writeI16(std::int16_t v) { return writeU16(static_cast<std::uint16_t>(v)); }
    bool writeI32(std::int32_t v) { return writeU32(static_cast<std::uint32_t>(v)); }
    bool writeBytes(std::span<const std::uint8_t> data) {
        if (!fits(data.size())) return false;
        if (grown_) {
            grown_->insert(grown_->end(), data.begin(), data.end());
            pos_ += data.size();
        } else {
            std::copy(data.begin(), data.end(), claim(data.size()));
        }
        return true;
    }
    // The characters of text as bytes, with no terminator.
    bool writeText(std::string_view text) {
        return writeBytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    bool writeZeros(std::size_t n) {
        if (!fits(n)) return false;
        std::fill_n(claim(n), n, std::uint8_t{0});
        return true;
    }

private:
    template <std::size_t n>
    bool writeNumber(std::uint32_t v) {
        if (!fits(n)) return false;
        detail::store<n>(claim(n), v, order_);
        return true;
    }
    bool fits(std::size_t n) const { return grown_ != nullptr || fixed_.size() - pos_ >= n; }
    // Where the next n bytes go, moving past them; only after fits(n).
    std::uint8_t* claim(std::size_t n) {
        std::uint8_t* p;
        if (grown_) {
            const std::size_t at = grown_->size();
            grown_->resize(at + n);
            p = grown_->data() + at;
        } else {
            p = fixed_.data() + pos_;
        }
        pos_ += n;
        return p;
    }

    std::vector<std::uint8_t>* grown_ = nullptr;
    std::span<std::uint8_t> fixed_;
    std::size_t pos_ = 0;
    std::endian order_;
};

}  // namespace bytes
