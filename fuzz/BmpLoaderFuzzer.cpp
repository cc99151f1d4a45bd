// Fuzz target: the .bmp loader on arbitrary bytes. A picture it accepts has a sane size and
// every pixel can be read.
#include "platform/gdi/BmpLoader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto bitmap = gdi::LoadImageFromBytes({data, size});
    if (!bitmap) return 0;
    if (bitmap->Width() <= 0 || bitmap->Height() <= 0) std::abort();
    unsigned sum = 0;
    for (int y = 0; y < bitmap->Height(); ++y) sum += bitmap->GetPixel(bitmap->Width() - 1, y);
    return static_cast<int>(sum & 0);
}
