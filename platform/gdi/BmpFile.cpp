// BmpFile.cpp: the .bmp reader and writer. In reading, every length is checked against the bytes
// really present; the file's own size fields are not trusted.
#include "BmpFile.h"

#include "DibBits.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteWriter.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/FileDescriptor.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace gdi {

namespace {
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

struct Failure {
    std::string reason;
};

struct Layout {
    int width = 0;
    int height = 0;  // rows, always positive
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue
    std::vector<COLORREF> palette;
    std::size_t pixelOffset = 0;
};

// One colour channel of a bit-field pixel: its mask's position and width.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    bool contiguous() const { return mask == 0 || (max & (max + 1)) == 0; }
    std::uint8_t level(std::uint32_t pixel) const {
        if (max == 0) return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>(std::uint64_t(v) * 255 / max);
    }
};

// f: the file's first bytes (at least kLayoutBytes of them when the file is that long);
// fileSize: the file's real length.
Layout readLayout(std::span<const std::uint8_t> f, std::size_t fileSize) {
    if (f.size() < kFileHeaderSize + 4) throw Failure{"the file is shorter than a .bmp header"};
    if (!HasBmpSignature(f)) throw Failure{"not a .bmp file (no \"BM\" signature)"};
    Layout l;
    l.pixelOffset = bytes::loadU32LE(&f[10]);
    const std::uint32_t headerSize = bytes::loadU32LE(&f[14]);
    if (headerSize != kCoreHeaderSize && (headerSize < kInfoHeaderSize || headerSize > 124))
        throw Failure{"unknown bitmap header size " + std::to_string(headerSize)};
    if (f.size() < kFileHeaderSize + headerSize) throw Failure{"the bitmap header is cut short"};
    const std::uint8_t* h = &f[kFileHeaderSize];
    std::size_t paletteAt = kFileHeaderSize + headerSize;
    std::size_t entrySize = 4;
    std::uint32_t colorsUsed = 0;
    int planes = 1;
    if (headerSize == kCoreHeaderSize) {
        l.width = bytes::loadU16LE(h + 4);
        l.height = bytes::loadU16LE(h + 6);
        planes = bytes::loadU16LE(h + 8);
        l.bitCount = bytes::loadU16LE(h + 10);
        entrySize = 3;
        if (l.bitCount != 1 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 24)
            throw Failure{"bit count " + std::to_string(l.bitCount) + " in a core header"};
    } else {
        const auto width = static_cast<std::int32_t>(bytes::loadU32LE(h + 4));
        const auto height = static_cast<std::int32_t>(bytes::loadU32LE(h + 8));
        planes = bytes::loadU16LE(h + 12);
        l.bitCount = bytes::loadU16LE(h + 14);
        l.compression = bytes::loadU32LE(h + 16);
        colorsUsed = bytes::loadU32LE(h + 32);
        if (width <= 0 || height == 0 || height == INT32_MIN)
            throw Failure{"impossible picture size " + std::to_string(width) + " x " + std::to_string(height)};
        if (width > kMaxBitmapSide || height > kMaxBitmapSide || height < -kMaxBitmapSide)
            throw Failure{"the picture is larger than " + std::to_string(kMaxBitmapSide) + " pixels on a side"};
        l.width = width;
        l.topDown = height < 0;
        l.height = height < 0 ? -height : height;
        if (l.compression == kBiBitfields || l.compression == kBiAlphaBitfields) {
            const std::size_t maskCount = l.compression == kBiAlphaBitfields ? 4 : 3;
            const std::uint8_t* m = h + kInfoHeaderSize;
            if (headerSize < kInfoHeaderSize + 4 * maskCount) {
                // An info header keeps its masks after itself.
                if (f.size() < paletteAt + 4 * maskCount) throw Failure{"the colour masks are cut short"};
                m = &f[paletteAt];
                paletteAt += 4 * maskCount;
            }
            l.masks = {bytes::loadU32LE(m), bytes::loadU32LE(m + 4), bytes::loadU32LE(m + 8)};
        }
    }
    if (planes != 1) throw Failure{"plane count " + std::to_string(planes)};
    if (l.width <= 0 || l.height <= 0) throw Failure{"the picture has no pixels"};
    if (std::int64_t(l.width) * l.height > kMaxBitmapPixels) throw Failure{"the picture has too many pixels"};

    switch (l.compression) {
    case kBiRgb:
        if (l.bitCount != 1 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 16 && l.bitCount != 24 &&
            l.bitCount != 32)
            throw Failure{"bit count " + std::to_string(l.bitCount)};
        if (l.bitCount == 16) l.masks = {0x7C00, 0x03E0, 0x001F};
        if (l.bitCount == 32) l.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
        break;
    case kBiRle8:
        if (l.bitCount != 8) throw Failure{"RLE8 with bit count " + std::to_string(l.bitCount)};
        break;
    case kBiRle4:
        if (l.bitCount != 4) throw Failure{"RLE4 with bit count " + std::to_string(l.bitCount)};
        break;
    case kBiBitfields:
    case kBiAlphaBitfields:
        if (l.bitCount != 16 && l.bitCount != 32)
            throw Failure{"bit fields with bit count " + std::to_string(l.bitCount)};
        for (const auto mask : l.masks)
            if (!Channel(mask).contiguous()) throw Failure{"a colour mask with gaps"};
        break;
    default: throw Failure{"compression " + std::to_string(l.compression) + " is not supported"};
    }
    if ((l.compression == kBiRle8 || l.compression == kBiRle4) && l.topDown)
        throw Failure{"run-length rows cannot run top-down"};

    if (l.bitCount <= 8) {
        const std::uint32_t most = 1u << l.bitCount;
        const std::uint32_t entries = colorsUsed == 0 || colorsUsed > most ? most : colorsUsed;
        if (f.size() < paletteAt || (f.size() - paletteAt) / entrySize < entries)
            throw Failure{"the palette is cut short"};
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = &f[paletteAt + i * entrySize];
            l.palette.push_back(RGB(e[2], e[1], e[0]));
        }
    }
    if (l.pixelOffset > fileSize) throw Failure{"the pixel data lies past the end of the file"};
    return l;
}

COLORREF paletteColor(const Layout& l, std::uint32_t index) {
    if (index >= l.palette.size())
        throw Failure{"palette index " + std::to_string(index) + " past the " + std::to_string(l.palette.size()) +
                      " entries"};
    return l.palette[index];
}

std::size_t rowStride(const Layout& l) { return (std::size_t(l.width) * std::size_t(l.bitCount) + 31) / 32 * 4; }

// A run code (2 bytes) draws at most 255 pixels, so no run-length stream covers more than this.
constexpr std::size_t kMaxPixelsPerRunLengthByte = 255 / 2 + 1;

// Whether the bytes after the pixel offset can fill the picture at all; checked before the
// bitmap is allocated, so that a short file cannot make the loader build a large picture.
void checkPixelDataSize(std::size_t fileSize, const Layout& l) {
    const std::size_t available = fileSize - l.pixelOffset;
    const std::size_t pixels = std::size_t(l.width) * std::size_t(l.height);
    if (l.compression == kBiRle8 || l.compression == kBiRle4) {
        if (pixels / kMaxPixelsPerRunLengthByte > available)
            throw Failure{"the run-length data of " + std::to_string(available) + " bytes cannot cover a picture of " +
                          std::to_string(l.width) + " x " + std::to_string(l.height)};
        return;
    }
    if (available / rowStride(l) < std::size_t(l.height)) throw Failure{"the pixel rows are cut short"};
}

// Converts whole rows of one layout into blue-green-red triples: palettes as triples looked up
// by index, 16-bit pixels through a table of every value, 24-bit rows copied as they are.
class RowDecoder {
public:
    explicit RowDecoder(const Layout& l) : l_(l) {
        if (l.bitCount <= 8) {
            for (const COLORREF c : l.palette) palette_.push_back({GetBValue(c), GetGValue(c), GetRValue(c)});
        } else if (l.bitCount == 16 && std::size_t(l.width) * std::size_t(l.height) >= kTableWorthPixels) {
            const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
            table16_.resize(65536);
            for (std::uint32_t p = 0; p < 65536; ++p) table16_[p] = {blue.level(p), green.level(p), red.level(p)};
        }
    }

    // One row of the file (src) into width triples (dst). A palette index past the palette fails
    // the picture, naming the first such index of the row.
    void decode(const std::uint8_t* src, std::uint8_t* dst) const {
        const int w = l_.width;
        switch (l_.bitCount) {
        case 1:
            for (int x = 0; x < w; ++x) put(dst + 3 * x, (src[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case 4:
            for (int x = 0; x < w; ++x) put(dst + 3 * x, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
            break;
        case 8:
            for (int x = 0; x < w; ++x) put(dst + 3 * x, src[x]);
            break;
        case 16:
            if (!table16_.empty()) {
                for (int x = 0; x < w; ++x) std::memcpy(dst + 3 * x, table16_[bytes::loadU16LE(src + 2 * x)].data(), 3);
            } else {
                const Channel red(l_.masks[0]), green(l_.masks[1]), blue(l_.masks[2]);
                for (int x = 0; x < w; ++x) {
                    const std::uint32_t p = bytes::loadU16LE(src + 2 * x);
                    dst[3 * x] = blue.level(p);
                    dst[3 * x + 1] = green.level(p);
                    dst[3 * x + 2] = red.level(p);
                }
            }
            break;
        case 24: std::memcpy(dst, src, 3 * std::size_t(w)); break;
        case 32: {
            const Channel red(l_.masks[0]), green(l_.masks[1]), blue(l_.masks[2]);
            const bool bytes = red.max == 255 && green.max == 255 && blue.max == 255;
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = bytes::loadU32LE(src + 4 * x);
                if (bytes) {
                    dst[3 * x] = static_cast<std::uint8_t>((p & blue.mask) >> blue.shift);
                    dst[3 * x + 1] = static_cast<std::uint8_t>((p & green.mask) >> green.shift);
                    dst[3 * x + 2] = static_cast<std::uint8_t>((p & red.mask) >> red.shift);
                } else {
                    dst[3 * x] = blue.level(p);
                    dst[3 * x + 1] = green.level(p);
                    dst[3 * x + 2] = red.level(p);
                }
            }
            break;
        }
        }
    }

private:
    // Below this many pixels the table of 65,536 colours costs more than it saves.
    static constexpr std::size_t kTableWorthPixels = 65536;

    void put(std::uint8_t* p, std::uint32_t index) const {
        if (index >= palette_.size()) paletteColor(l_, index);  // throws
        std::memcpy(p, palette_[index].data(), 3);
    }

    const Layout& l_;
    std::vector<std::array<std::uint8_t, 3>> palette_;
    std::vector<std::array<std::uint8_t, 3>> table16_;
};

void decodeUncompressed(std::span<const std::uint8_t> f, const Layout& l, Bitmap& out) {
    const std::size_t stride = rowStride(l);
    const RowDecoder decoder(l);
    for (int fileRow = 0; fileRow < l.height; ++fileRow) {
        const std::uint8_t* src = &f[l.pixelOffset + std::size_t(fileRow) * stride];
        const int y = l.topDown ? fileRow : l.height - 1 - fileRow;
        decoder.decode(src, out.Row(y));
    }
}

void putTriple(std::uint8_t* p, COLORREF c) {
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

// Fills bytes of p with copies of its first pattern bytes, doubling what is done each time.
void replicate(std::uint8_t* p, std::size_t pattern, std::size_t bytes) {
    for (std::size_t done = pattern; done < bytes; done *= 2) std::memcpy(p + done, p, std::min(done, bytes - done));
}

// RLE8 and RLE4: pairs of (count, value), or an escape 0 followed by 0 (end of line), 1 (end of
// bitmap), 2 (move by dx, dy) or n >= 3 (n literal pixels, padded to a word). Pixels that no code
// reaches take palette entry 0, and pixels past the right edge are dropped.
void decodeRunLength(std::span<const std::uint8_t> f, const Layout& l, Bitmap& out) {
    const bool four = l.compression == kBiRle4;
    const COLORREF background = paletteColor(l, 0);
    const std::size_t rowBytes = 3 * std::size_t(l.width);
    if (background != RGB(255, 255, 255)) {
        std::uint8_t* first = out.Row(0);
        putTriple(first, background);
        replicate(first, 3, rowBytes);
        for (int y = 1; y < l.height; ++y) std::memcpy(out.Row(y), first, rowBytes);
    }
    std::size_t pos = l.pixelOffset;
    const auto need = [&](std::size_t n) {
        if (f.size() - pos < n) throw Failure{"the run-length data ends before its end-of-bitmap code"};
    };
    // The column stops at the row's end: pixels past the right edge are dropped, never counted,
    // so a long run costs nothing and no counter can grow without bound.
    int x = 0, row = 0;  // row 0 is the bottom row
    const auto drawable = [&](int count) { return std::min(count, l.width - x); };
    const auto put = [&](int at, std::uint32_t index) { out.SetPixel(at, l.height - 1 - row, paletteColor(l, index)); };
    for (;;) {
        need(2);
        const std::uint8_t count = f[pos], value = f[pos + 1];
        pos += 2;
        if (count > 0) {
            // A run is one colour (RLE8) or two alternating ones (RLE4), written once and copied.
            const COLORREF even = paletteColor(l, four ? value >> 4 : value);
            const COLORREF odd = four && count > 1 ? paletteColor(l, value & 15) : even;
            const int n = drawable(count);
            if (n > 0) {
                std::uint8_t* p = out.Row(l.height - 1 - row) + 3 * std::size_t(x);
                putTriple(p, even);
                if (n > 1) putTriple(p + 3, odd);
                replicate(p, std::size_t(std::min(n, 2)) * 3, 3 * std::size_t(n));
            }
            x += n;
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            need(2);
            x = std::min(x + f[pos], l.width);
            row = std::min(row + f[pos + 1], l.height);
            pos += 2;
        } else {
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            need(bytes + (bytes & 1));
            const auto index = [&](int i) -> std::uint32_t {
                return four ? ((i & 1) ? f[pos + i / 2] & 15 : f[pos + i / 2] >> 4) : f[pos + i];
            };
            const int n = drawable(value);
            for (int i = 0; i < value; ++i) {
                if (i < n) put(x + i, index(i));
                else paletteColor(l, index(i));
            }
            x += n;
            pos += bytes + (bytes & 1);
        }
        // Codes past the top row have nothing left to draw.
        if (row >= l.height) return;
    }
}
}  // namespace

std::unique_ptr<Bitmap> LoadImageFromBytes(std::span<const std::uint8_t> bytes, std::string* why) {
    try {
        const Layout layout = readLayout(bytes, bytes.size());
        checkPixelDataSize(bytes.size(), layout);
        const bool runLength = layout.compression == kBiRle8 || layout.compression == kBiRle4;
        // Uncompressed rows overwrite every pixel, so the bitmap need not be whitened first.
        auto bitmap = runLength ? Bitmap::Create(layout.width, layout.height, layout.bitCount)
                                : Bitmap::CreateForOverwrite(layout.width, layout.height, layout.bitCount);
        if (!bitmap) throw Failure{"out of memory for the picture"};
        if (runLength)
            decodeRunLength(bytes, layout, *bitmap);
        else
            decodeUncompressed(bytes, layout, *bitmap);
        return bitmap;
    } catch (const Failure& failure) {
        if (why) *why = failure.reason;
    } catch (const std::bad_alloc&) {
        if (why) *why = "out of memory";
    }
    return nullptr;
}

namespace {
// Reads count bytes at offset; false when the file ends first or cannot be read.
bool readAt(int fd, std::uint8_t* into, std::size_t count, std::size_t offset) {
    while (count > 0) {
        const ssize_t n = ::pread(fd, into, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        into += n;
        offset += static_cast<std::size_t>(n);
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

// The file opened for reading and its length, or the reason LoadImage gives for it.
win::FileDescriptor openBmp(const std::string& path, std::size_t& size) {
    win::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) throw Failure{"cannot open the file"};
    if (static_cast<std::uint64_t>(info.st_size) > kMaxBmpFileSize)
        throw Failure{"the file is larger than any picture this program reads"};
    size = static_cast<std::size_t>(info.st_size);
    return file;
}

// The most bytes readLayout looks at: the file header, the largest bitmap header, three
// colour masks after an info header and 256 four-byte palette entries.
constexpr std::size_t kLayoutBytes = kFileHeaderSize + 124 + 16 + 256 * 4;
}  // namespace

std::optional<BmpSize> StatedBmpSize(std::span<const std::uint8_t> f) {
    if (f.size() < kFileHeaderSize + 4 || !HasBmpSignature(f)) return std::nullopt;
    const std::uint32_t headerSize = bytes::loadU32LE(&f[14]);
    const std::uint8_t* h = &f[kFileHeaderSize];
    if (headerSize == kCoreHeaderSize && f.size() >= kFileHeaderSize + 8) {
        const BmpSize size{bytes::loadU16LE(h + 4), bytes::loadU16LE(h + 6)};
        if (size.width == 0 || size.height == 0) return std::nullopt;
        return size;
    }
    if (headerSize < kInfoHeaderSize || headerSize > 124 || f.size() < kFileHeaderSize + 12) return std::nullopt;
    const auto width = static_cast<std::int32_t>(bytes::loadU32LE(h + 4));
    const auto height = static_cast<std::int32_t>(bytes::loadU32LE(h + 8));
    if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
    return BmpSize{width, height < 0 ? -height : height};
}

std::unique_ptr<Bitmap> LoadImage(const std::string& path, std::string* why) {
    try {
        std::size_t size = 0;
        const win::FileDescriptor file = openBmp(path, size);
        // One read of the whole file, into memory that is not cleared first.
        std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size == 0 ? 1 : size]);
        if (!readAt(file.get(), bytes.get(), size, 0)) throw Failure{"cannot read the file"};
        return LoadImageFromBytes({bytes.get(), size}, why);
    } catch (const Failure& failure) {
        if (why) *why = failure.reason;
    } catch (const std::bad_alloc&) {
        if (why) *why = "out of memory";
    }
    return nullptr;
}

struct BmpRowReader::State {
    win::FileDescriptor file;
    Layout layout;
    std::size_t stride = 0;
    std::unique_ptr<Bitmap> whole;  // run-length files, decoded at once
    std::optional<RowDecoder> decoder;
    // A block of file rows, read with one read: firstRow .. firstRow + rows - 1 (file order).
    std::vector<std::uint8_t> block;
    int firstRow = 0;
    int rows = 0;
};

BmpRowReader::BmpRowReader(std::unique_ptr<State> state) : state_(std::move(state)) {}
BmpRowReader::~BmpRowReader() = default;

std::unique_ptr<BmpRowReader> BmpRowReader::Open(const std::string& path, std::string* why) {
    try {
        auto state = std::make_unique<State>();
        std::size_t size = 0;
        state->file = openBmp(path, size);
        std::vector<std::uint8_t> head(std::min(size, kLayoutBytes));
        if (!readAt(state->file.get(), head.data(), head.size(), 0)) throw Failure{"cannot read the file"};
        state->layout = readLayout(head, size);
        const Layout& l = state->layout;
        checkPixelDataSize(size, l);
        const bool shortPalette = l.bitCount <= 8 && l.palette.size() < (std::size_t(1) << l.bitCount);
        if (l.compression == kBiRle8 || l.compression == kBiRle4 || shortPalette) {
            // Runs may jump anywhere, and a pixel past a short palette fails the whole picture
            // before anything else is looked at: such files (small ones) are decoded whole. They
            // are read whole through the descriptor already open, and the layout is taken again
            // from those bytes, so that the layout and the pixels come from one and the same
            // file even when another replaces it at its path meanwhile.
            std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size == 0 ? 1 : size]);
            if (!readAt(state->file.get(), bytes.get(), size, 0)) throw Failure{"cannot read the file"};
            state->layout = readLayout({bytes.get(), size}, size);
            auto whole = LoadImageFromBytes({bytes.get(), size}, why);
            if (!whole) return nullptr;
            state->whole = std::move(whole);
        } else {
            state->stride = rowStride(l);
            state->decoder.emplace(state->layout);
        }
        return std::unique_ptr<BmpRowReader>(new BmpRowReader(std::move(state)));
    } catch (const Failure& failure) {
        if (why) *why = failure.reason;
    } catch (const std::bad_alloc&) {
        if (why) *why = "out of memory";
    }
    return nullptr;
}

// A picture decoded whole answers from its bitmap, the one its rows come from.
int BmpRowReader::Width() const { return state_->whole ? state_->whole->Width() : state_->layout.width; }
int BmpRowReader::Height() const { return state_->whole ? state_->whole->Height() : state_->layout.height; }
int BmpRowReader::BitsPerPixel() const { return state_->whole ? state_->whole->BitsPerPixel() : state_->layout.bitCount; }

bool BmpRowReader::ReadRow(int y, std::uint8_t* out, std::string* why) {
    const std::uint8_t* row = Row(y, out, why);
    if (row == nullptr) return false;
    if (row != out) std::memcpy(out, row, 3 * std::size_t(state_->layout.width));
    return true;
}

const std::uint8_t* BmpRowReader::Row(int y, std::uint8_t* scratch, std::string* why) {
    State& s = *state_;
    const Layout& l = s.layout;
    if (y < 0 || y >= Height()) {
        if (why) *why = "no such row";
        return nullptr;
    }
    if (s.whole) return s.whole->Row(y);
    const int fileRow = l.topDown ? y : l.height - 1 - y;
    try {
        if (fileRow < s.firstRow || fileRow >= s.firstRow + s.rows) {
            // About a megabyte of rows at a time, taken in the direction the rows are asked for
            // (top first: forwards for top-down files, backwards for bottom-up ones).
            constexpr std::size_t kBlockBytes = std::size_t(1) << 20;
            const int count = static_cast<int>(std::clamp<std::size_t>(kBlockBytes / s.stride, 1, std::size_t(l.height)));
            s.firstRow = l.topDown ? fileRow : std::max(0, fileRow - count + 1);
            s.rows = std::min(count, l.height - s.firstRow);
            s.block.resize(std::size_t(s.rows) * s.stride);
            if (!readAt(s.file.get(), s.block.data(), s.block.size(), l.pixelOffset + std::size_t(s.firstRow) * s.stride)) {
                s.rows = 0;
                throw Failure{"cannot read the file"};
            }
        }
        const std::uint8_t* src = s.block.data() + std::size_t(fileRow - s.firstRow) * s.stride;
        // A 24-bit file row already holds blue-green-red triples: it is handed out as it is.
        if (l.bitCount == 24) return src;
        s.decoder->decode(src, scratch);
        return scratch;
    } catch (const Failure& failure) {
        if (why) *why = failure.reason;
    }
    return nullptr;
}

// Writing.

namespace {
std::uint32_t colorTableEntries(std::uint16_t bitCount) { return bitCount <= 8 ? 1u << bitCount : 0u; }

void storeInfoHeader(const BITMAPINFOHEADER& h, std::span<std::uint8_t> out) {
    bytes::ByteWriter w(out, std::endian::little);
    w.writeU32(h.biSize);
    w.writeU32(static_cast<std::uint32_t>(h.biWidth));
    w.writeU32(static_cast<std::uint32_t>(h.biHeight));
    w.writeU16(h.biPlanes);
    w.writeU16(h.biBitCount);
    w.writeU32(h.biCompression);
    w.writeU32(h.biSizeImage);
    w.writeU32(static_cast<std::uint32_t>(h.biXPelsPerMeter));
    w.writeU32(static_cast<std::uint32_t>(h.biYPelsPerMeter));
    w.writeU32(h.biClrUsed);
    w.writeU32(h.biClrImportant);
}
}  // namespace

std::optional<std::vector<std::uint8_t>> bitmapToPackedDib(const Bitmap& bitmap) {
    BITMAP description;
    if (!GetObject(&bitmap, description)) return std::nullopt;
    BITMAPINFOHEADER header;
    header.biWidth = description.bmWidth;
    header.biHeight = description.bmHeight;
    header.biBitCount = static_cast<std::uint16_t>(description.bmPlanes * description.bmBitsPixel);
    const std::uint32_t entries = colorTableEntries(header.biBitCount);
    if (GetDIBits(bitmap, header, nullptr) == 0) return std::nullopt;
    if (header.biSizeImage == 0)
        header.biSizeImage = static_cast<std::uint32_t>(
            (std::size_t(header.biWidth) * header.biBitCount + 31) / 32 * 4 * std::size_t(header.biHeight));
    const std::size_t rowsAt = kInfoHeaderSize + 4 * std::size_t(entries);
    std::vector<std::uint8_t> block;
    try {
        block.assign(rowsAt + header.biSizeImage, 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (GetDIBits(bitmap, header, block.data() + rowsAt) == 0) return std::nullopt;
    storeInfoHeader(header, block);
    return block;
}

bool writeBmpFile(const std::string& path, std::span<const std::uint8_t> block, bool overwrite) {
    if (block.size() < kInfoHeaderSize) return false;
    const std::uint32_t headerSize = bytes::loadU32LE(block.data());
    const std::uint16_t bitCount = bytes::loadU16LE(block.data() + 14);
    std::uint8_t fileHeader[kFileHeaderSize];
    bytes::ByteWriter w(fileHeader, std::endian::little);
    w.writeText("BM");
    w.writeU32(static_cast<std::uint32_t>(kFileHeaderSize + block.size()));
    w.writeU32(0);  // two reserved words
    w.writeU32(static_cast<std::uint32_t>(kFileHeaderSize + headerSize + 4 * colorTableEntries(bitCount)));

    return win::writeFileAtomically(path, {fileHeader, block}, overwrite);
}

}  // namespace gdi
