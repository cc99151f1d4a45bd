// RunLength.cpp
#include "RunLength.h"

#include <cstring>

namespace {
constexpr std::ptrdiff_t kMaxCount = 127;

template <typename Unit>
Unit unitAt(std::span<const std::uint8_t> raw, std::size_t i) {
    Unit u;
    std::memcpy(&u, raw.data() + i * sizeof(Unit), sizeof(Unit));
    return u;
}

void putControl(std::vector<std::uint8_t>& out, int count, int unitSize) {
    out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(count)));
    if (unitSize == 2) out.push_back(count < 0 ? 0xFF : 0x00);
}

template <typename Unit>
void compress(std::span<const std::uint8_t> raw, std::vector<std::uint8_t>& out) {
    const std::size_t n = raw.size() / sizeof(Unit);
    const auto u = [&](std::size_t i) { return unitAt<Unit>(raw, i); };
    const auto putUnits = [&](std::size_t from, std::size_t to) {
        const auto* p = raw.data() + from * sizeof(Unit);
        out.insert(out.end(), p, p + (to - from) * sizeof(Unit));
    };
    std::size_t pos = 0;
    while (pos < n) {
        std::size_t j = pos + 1;
        while (j < n && j - pos < kMaxCount && u(j) == u(pos)) ++j;
        if (j - pos >= 2) {
            putControl(out, static_cast<int>(j - pos), sizeof(Unit));
            putUnits(pos, pos + 1);
            pos = j;
            continue;
        }
        // A literal: stop before three equal units, and hand a run that reaches its end back.
        while (j < n && j - pos < kMaxCount) {
            if (u(j) == u(j - 1) && u(j) == u(j - 2)) break;
            ++j;
        }
        while (j < n && u(j) == u(j - 1)) --j;
        putControl(out, -static_cast<int>(j - pos), sizeof(Unit));
        putUnits(pos, j);
        pos = j;
    }
}
}  // namespace

void compressRunLength(std::span<const std::uint8_t> raw, int unitSize, std::vector<std::uint8_t>& out) {
    out.reserve(out.size() + maxCompressedSize(raw.size(), unitSize));
    if (unitSize == 2) compress<std::uint16_t>(raw, out);
    else compress<std::uint8_t>(raw, out);
}

std::size_t maxCompressedSize(std::size_t rawBytes, int unitSize) {
    const std::size_t units = rawBytes / static_cast<std::size_t>(unitSize);
    return rawBytes + (units + kMaxCount - 1) / kMaxCount * static_cast<std::size_t>(unitSize);
}

std::optional<std::vector<std::uint8_t>> expandRunLength(std::span<const std::uint8_t> stream,
                                                         std::size_t rawSize, int unitSize) {
    const std::size_t unit = static_cast<std::size_t>(unitSize);
    std::vector<std::uint8_t> raw(rawSize, 0);
    std::size_t missing = rawSize / unit;
    std::size_t in = 0, out = 0;
    while (missing > 0) {
        if (stream.size() - in < unit) return std::nullopt;
        const int count = static_cast<std::int8_t>(stream[in]);
        in += unit;
        if (count == 0 || count == -128) return std::nullopt;
        if (count > 0) {
            if (stream.size() - in < unit) return std::nullopt;
            const std::size_t copies = std::min<std::size_t>(static_cast<std::size_t>(count), missing);
            for (std::size_t i = 0; i < copies; ++i, out += unit) std::memcpy(&raw[out], &stream[in], unit);
            in += unit;
            missing -= copies;
        } else {
            const std::size_t literal = std::min<std::size_t>(static_cast<std::size_t>(-count), missing);
            if ((stream.size() - in) / unit < literal) return std::nullopt;
            std::memcpy(&raw[out], &stream[in], literal * unit);
            in += static_cast<std::size_t>(-count) * unit;
            out += literal * unit;
            missing -= literal;
        }
    }
    return raw;
}
