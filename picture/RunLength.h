// RunLength.h: the run-length code of compressed picture records.
//
// Units are bytes (pictures of 8 bits or less) or 16-bit words (16-bit pictures). A segment is a
// control unit and data units: a count n of 1 to 127 is followed by one unit standing for n
// copies; a count of -1 to -127 by -n literal units. In word streams the control unit is the
// count as a 16-bit little-endian number (signed count, then 0x00 or 0xFF); data words keep their
// stored order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Appends the compressed form of raw (whole units of unitSize 1 or 2 bytes) to out. Runs of two
// or more equal units become runs; a literal never holds three equal units in a row.
void compressRunLength(std::span<const std::uint8_t> raw, int unitSize, std::vector<std::uint8_t>& out);

// compressRunLength fed a piece at a time, so the raw data need never be held whole: the bytes
// out receives once Finish is called are those compressRunLength gives for all the pieces
// joined. Pieces are whole units.
class RunLengthEncoder {
public:
    RunLengthEncoder(int unitSize, std::vector<std::uint8_t>& out);
    void Append(std::span<const std::uint8_t> bytes);
    void Finish();

private:
    int unitSize_;
    std::vector<std::uint8_t>& out_;
    std::vector<std::uint8_t> pending_;  // units not yet coded: fewer than a segment looks ahead
};

// The longest compressed form of rawBytes bytes: one more control unit per 127 units.
std::size_t maxCompressedSize(std::size_t rawBytes, int unitSize);

// Expands stream until rawSize bytes are produced (in word streams rawSize / 2 words; an odd last
// byte stays 0). A count larger than the units still missing is cut to them. None when the stream
// ends early or holds a count of 0 or -128.
std::optional<std::vector<std::uint8_t>> expandRunLength(std::span<const std::uint8_t> stream,
                                                         std::size_t rawSize, int unitSize);
