// PictureExporter.h: one handheld picture record drawn into a display-compatible bitmap and
// written as a .bmp file.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace gdi {
class Bitmap;
}

class PictureExporter {
public:
    PictureExporter();
    ~PictureExporter();

    // Writes the picture of record (size bytes) to bmpPath; overwrite replaces an existing file.
    // Records of version 2 go to exportVersion2Picture; every other version is read as version 1.
    // False for a malformed record (no pixels, a count of 0 or -128, a stream or record shorter
    // than the pixels it announces) or a file that cannot be written; failure() then says why.
    bool exportPicture(const std::uint8_t* record, std::uint32_t size, const std::string& bmpPath, bool overwrite);
    // rawSize governs the pixels; the record's length bounds every read.
    bool exportVersion2Picture(std::span<const std::uint8_t> record, const std::string& bmpPath, bool overwrite);

    // The picture drawn into the exporter's display-compatible bitmap, without writing a file;
    // false for a malformed record, as above.
    bool decodePicture(std::span<const std::uint8_t> record);
    const gdi::Bitmap* bitmap() const { return bitmap_.get(); }

    const std::string& failure() const { return failure_; }

private:
    bool fail(std::string why);
    bool decodeVersion2(std::span<const std::uint8_t> record);
    bool draw(std::span<const std::uint8_t> pixels, int width, int height, int depth, std::size_t rowBytes);
    bool finish(const std::string& bmpPath, bool overwrite);

    std::unique_ptr<gdi::Bitmap> bitmap_;
    std::string failure_;
};
