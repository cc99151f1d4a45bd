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

// Codes segments of raw from unit pos on and returns where it stopped. A segment looks at most
// kMaxCount + 1 units ahead, so unless final it stops while fewer remain: the units after them,
// still to come, could change it.
template <typename Unit>
std::size_t compress(std::span<const std::uint8_t> raw, std::size_t pos, bool final, std::vector<std::uint8_t>& out) {
    const std::size_t n = raw.size() / sizeof(Unit);
    const auto u = [&](std::size_t i) { return unitAt<Unit>(raw, i); };
    const auto putUnits = [&](std::size_t from, std::size_t to) {
        const auto* p = raw.data() + from * sizeof(Unit);
        out.insert(out.end(), p, p + (to - from) * sizeof(Unit));
    };
    while (final ? pos < n : n - pos > std::size_t(kMaxCount)) {
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
    return pos;
}

std::size_t compressUnits(std::span<const std::uint8_t> raw, std::size_t pos, bool final, int unitSize,
                          std::vector<std::uint8_t>& out) {
    return unitSize == 2 ? compress<std::uint16_t>(raw, pos, final, out) : compress<std::uint8_t>(raw, pos, final, out);
}
}  // namespace

void compressRunLength(std::span<const std::uint8_t> raw, int unitSize, std::vector<std::uint8_t>& out) {
    out.reserve(out.size() + maxCompressedSize(raw.size(), unitSize));
    compressUnits(raw, 0, true, unitSize, out);
}

RunLengthEncoder::RunLengthEncoder(int unitSize, std::vector<std::uint8_t>& out) : unitSize_(unitSize), out_(out) {}

void RunLengthEncoder::Append(std::span<const std::uint8_t> bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    const std::size_t unit = static_cast<std::size_t>(unitSize_);
    const std::size_t done = compressUnits(pending_, 0, false, unitSize_, out_);
    // What is left is shorter than a segment's look-ahead, so moving it down costs little.
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(done * unit));
}

void RunLengthEncoder::Finish() {
    compressUnits(pending_, 0, true, unitSize_, out_);
    pending_.clear();
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
