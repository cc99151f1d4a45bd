// Fuzz target: picture record decoding. Whatever the bytes, the decoder ends, reads nothing
// outside them, and a picture it draws has the record's size.
#include "picture/PictureExporter.h"
#include "picture/PictureRecord.h"
#include "platform/gdi/Bitmap.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PictureExporter exporter;
    if (!exporter.decodePicture({data, size})) return 0;
    const auto header = readPictureHeader({data, size});
    if (!header || exporter.bitmap() == nullptr || exporter.bitmap()->Width() != header->width ||
        exporter.bitmap()->Height() != header->height)
        std::abort();
    return 0;
}
