// ByteOrder.h: loads and stores of 16-, 24- and 32-bit values in a given byte order, in plain
// byte buffers. Handheld data is big-endian; .bmp files and registry values are little-endian.
// These check nothing: the caller has checked the length first (ByteReader and ByteWriter do).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace bytes {

namespace detail {
// The n bytes at p as one number, most significant byte first (big) or last (little). With n and
// the order known, the loop folds into the few instructions of a hand-written load.
template <std::size_t n>
constexpr std::uint32_t load(const std::uint8_t* p, std::endian order) {
    std::uint32_t v = 0;
#pragma GCC unroll 4
    for (std::size_t i = 0; i < n; ++i) v = v << 8 | p[order == std::endian::big ? i : n - 1 - i];
    return v;
}
template <std::size_t n>
constexpr void store(std::uint8_t* p, std::uint32_t v, std::endian order) {
#pragma GCC unroll 4
    for (std::size_t i = 0; i < n; ++i, v >>= 8) p[order == std::endian::big ? n - 1 - i : i] = static_cast<std::uint8_t>(v);
}
}  // namespace detail

constexpr std::uint16_t loadU16BE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(detail::load<2>(p, std::endian::big));
}
constexpr std::uint32_t loadU24BE(const std::uint8_t* p) { return detail::load<3>(p, std::endian::big); }
constexpr std::uint32_t loadU32BE(const std::uint8_t* p) { return detail::load<4>(p, std::endian::big); }
constexpr void storeU16BE(std::uint8_t* p, std::uint16_t v) { detail::store<2>(p, v, std::endian::big); }
constexpr void storeU24BE(std::uint8_t* p, std::uint32_t v) { detail::store<3>(p, v, std::endian::big); }
constexpr void storeU32BE(std::uint8_t* p, std::uint32_t v) { detail::store<4>(p, v, std::endian::big); }

constexpr std::uint16_t loadU16LE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(detail::load<2>(p, std::endian::little));
}
constexpr std::uint32_t loadU32LE(const std::uint8_t* p) { return detail::load<4>(p, std::endian::little); }
constexpr void storeU32LE(std::uint8_t* p, std::uint32_t v) { detail::store<4>(p, v, std::endian::little); }

}  // namespace bytes
