// PngWriter.cpp: libpng into memory, then one atomic file write.
#include "PngWriter.h"

#include "platform/win/AtomicFile.h"

#include <png.h>

namespace {
void appendToBuffer(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void noFlush(png_structp) {}
}  // namespace

bool writePng(const std::string& path, const GreyImage& image, std::string& why) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        why = "out of memory";
        return false;
    }
    std::vector<std::uint8_t> encoded;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        why = "the PNG cannot be encoded";
        return false;
    }
    png_set_write_fn(png, &encoded, appendToBuffer, noFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, image.pixels.data() + std::size_t(y) * std::size_t(image.width));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (!win::writeFileAtomically(path, {std::span<const std::uint8_t>(encoded)}, true)) {
        why = "cannot write the file";
        return false;
    }
    return true;
}
