// Fuzz target: the picture encoder over any .bmp under any handheld's limits. A picture it refuses
// breaks the limit it names (or does not load; one the loader refuses may still break a limit by
// the size its headers state); one it encodes keeps the limits, and decoding the
// record gives back every pixel of the .bmp (cut to even sides where the density asks for it) as
// the handheld's colour of that pixel.
#include "picture/Palettes.h"
#include "picture/PictureEncoder.h"
#include "picture/PictureExporter.h"
#include "picture/PictureRecord.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/BmpFile.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}

// The limits, from the first 12 bytes: depth, width, height, density, raw size, compression.
DeviceFormat formatFrom(const std::uint8_t* p) {
    static constexpr std::uint16_t kDensities[] = {72, 108, 144, 216, 288, 626};
    DeviceFormat f;
    f.depth = p[0] & 0x1F;
    f.maxWidth = static_cast<std::int16_t>(p[1] << 8 | p[2]);
    f.maxHeight = static_cast<std::int16_t>(p[3] << 8 | p[4]);
    f.density = p[5] < 0xF0 ? kDensities[p[5] % 6] : static_cast<std::uint16_t>(p[6] << 8 | p[5]);
    f.maxRawSize = std::uint32_t(p[7]) << 24 | std::uint32_t(p[8]) << 16 | std::uint32_t(p[9]) << 8 | p[10];
    f.compression = p[11] & 1;
    return f;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 12) return 0;
    const DeviceFormat format = formatFrom(data);
    const std::span<const std::uint8_t> bmp(data + 12, size - 12);

    const int fd = ::memfd_create("bmp", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (::write(fd, bmp.data(), bmp.size()) != static_cast<ssize_t>(bmp.size())) {
        ::close(fd);
        return 0;
    }
    std::vector<std::uint8_t> record;
    std::uint32_t length = 12345;
    EncodeRefusal why = EncodeRefusal::None;
    buildPictureRecord("/proc/self/fd/" + std::to_string(fd), format, record, length, &why);
    ::close(fd);
    check(length == record.size());

    const auto source = gdi::LoadImageFromBytes(bmp);
    const bool even = format.density == 144 || format.density == 626;
    const int width = source ? source->Width() - (even ? source->Width() % 2 : 0) : 0;
    const int height = source ? source->Height() - (even ? source->Height() % 2 : 0) : 0;
    const auto stated = gdi::StatedBmpSize(bmp.first(std::min(bmp.size(), gdi::kBmpSizeBytes)));
    const int statedWidth = stated ? stated->width - (even ? stated->width % 2 : 0) : 0;
    const int statedHeight = stated ? stated->height - (even ? stated->height % 2 : 0) : 0;
    if (record.empty()) {
        switch (why) {
        case EncodeRefusal::CannotLoad: check(!source); break;
        case EncodeRefusal::NoPixels: check(source && (width <= 0 || height <= 0)); break;
        case EncodeRefusal::TooWide: check(source ? width > format.maxWidth : statedWidth > format.maxWidth); break;
        case EncodeRefusal::TooTall: check(source ? height > format.maxHeight : statedHeight > format.maxHeight); break;
        case EncodeRefusal::RawTooLarge: check(source != nullptr || stated.has_value()); break;
        case EncodeRefusal::None: check(false); break;
        }
        return 0;
    }
    check(why == EncodeRefusal::None && source);
    const auto header = readPictureHeader(record);
    check(header && header->width == width && header->height == height && width <= format.maxWidth &&
          height <= format.maxHeight);
    check(header->version == (format.compression != 0 ? 2 : 1));
    const int depth = header->depth;
    check(depth == 8 || (depth == 16 && format.depth > 8 && source->BitsPerPixel() > 8));
    check(std::uint64_t(height) * recordRowBytes(width, depth) <= format.maxRawSize);

    PictureExporter exporter;
    check(exporter.decodePicture(record));
    const gdi::Bitmap* decoded = exporter.bitmap();
    check(decoded && decoded->Width() == width && decoded->Height() == height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint16_t value = colorToIndex(source->GetPixel(x, y), depth);
            const gdi::COLORREF expected = depth == 16 ? rgb565BytesToColor(std::uint8_t(value >> 8), std::uint8_t(value))
                                                       : indexToColor(static_cast<std::uint8_t>(value), 8);
            check(decoded->GetPixel(x, y) == expected);
        }
    return 0;
}
