// BmpFile.h: the .bmp file format, read and written in one place.
//
// File header (14 bytes, little-endian):
//   offset  size  meaning
//   0       2     "BM"
//   2       4     file size (not trusted when reading)
//   6       4     two reserved words
//   10      4     offset of the pixel rows
// A bitmap header follows: core (12 bytes), info (40), V4 (108) or V5 (124); then bit-field masks
// or a colour table where the header calls for them, and the rows, bottom-up unless the height
// is negative, each padded to 4 bytes.
//
// Reading is LoadImage: the common variants (1, 4 and 8 bits with palettes, RLE4 and RLE8; 16 bits
// 5-5-5, 5-6-5 and other bit fields; 24 and 32 bits; bottom-up and top-down rows), the bitmap
// reporting the file's bits per pixel. Writing takes a drawn bitmap as a packed device-independent
// bitmap (info header, colour table, rows bottom-up) and puts the file header before it.
#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gdi {

// Whether bytes start with the file header's "BM"; two bytes tell a .bmp file from other files.
inline constexpr std::size_t kBmpSignatureSize = 2;
inline bool HasBmpSignature(std::span<const std::uint8_t> start) {
    return start.size() >= kBmpSignatureSize && start[0] == 'B' && start[1] == 'M';
}

// Files longer than this are not read.
inline constexpr std::size_t kMaxBmpFileSize = std::size_t(256) << 20;

// The picture in bytes, or none when they are not a .bmp file this loader reads or are malformed
// in any way (cut short, impossible sizes, palette index out of range, a picture past the bitmap
// limits, pixel data too short to fill the picture: rows missing, or a run-length stream that
// could not cover it even in runs of 255); why, when given, then says what was wrong. Never
// reads outside bytes, and allocates the picture only once its data can fill it.
std::unique_ptr<Bitmap> LoadImageFromBytes(std::span<const std::uint8_t> bytes, std::string* why = nullptr);

// The same for the file at path, read with one read.
std::unique_ptr<Bitmap> LoadImage(const std::string& path, std::string* why = nullptr);

// The picture size a .bmp file's headers state, from its first kBmpSizeBytes bytes and without
// this loader's limits, so that a caller can tell a picture too large for its purpose from a
// file that is not a picture. None when the bytes are not .bmp headers or state no pixels.
struct BmpSize {
    int width = 0;
    int height = 0;
};
inline constexpr std::size_t kBmpSizeBytes = 26;
std::optional<BmpSize> StatedBmpSize(std::span<const std::uint8_t> start);

// A .bmp file read a row at a time, so that a large picture is never held whole, neither as file
// bytes nor as a bitmap: uncompressed rows are read from the file in blocks as they are asked
// for. Run-length files and files whose palette is shorter than their pixels can index are
// decoded whole when opened. The rows are the ones LoadImage gives.
class BmpRowReader {
public:
    // None (why set) for every file LoadImage refuses before decoding pixels.
    static std::unique_ptr<BmpRowReader> Open(const std::string& path, std::string* why = nullptr);
    ~BmpRowReader();

    int Width() const;
    int Height() const;
    // The file's own bits per pixel, as the loaded bitmap reports it.
    int BitsPerPixel() const;

    // Row y (0 = top) as Width() blue-green-red triples into out. False (why set) when the file
    // cannot be read or the row holds a palette index past the palette: LoadImage would refuse
    // the file, and so must the caller.
    bool ReadRow(int y, std::uint8_t* out, std::string* why = nullptr);
    // The same row without a copy where the reader holds it as triples already (24-bit files,
    // pictures decoded whole); otherwise decoded into scratch (Width() triples). Valid until
    // the next call; null on failure, as ReadRow.
    const std::uint8_t* Row(int y, std::uint8_t* scratch, std::string* why = nullptr);

private:
    struct State;
    explicit BmpRowReader(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// The packed bitmap (info header, colour table, rows) of bitmap; none when it cannot be built.
std::optional<std::vector<std::uint8_t>> bitmapToPackedDib(const Bitmap& bitmap);

// Writes a .bmp file of packed bitmap block at path. With overwrite, an existing file is replaced;
// without, an existing file is left untouched and the result is false. The file appears only
// when complete: a failed write leaves no partial file and the old one, if any, as it was.
bool writeBmpFile(const std::string& path, std::span<const std::uint8_t> block, bool overwrite);

}  // namespace gdi
