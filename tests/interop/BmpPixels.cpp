// Prints what the .bmp loader reads from a file: "WIDTH HEIGHT BITS\n", then the pixels as RGB
// bytes, top row first. Exit 1 when the file is refused: bmp_pixels FILE
#include "platform/gdi/BmpFile.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.bmp\n", argv[0]);
        return 2;
    }
    std::string why;
    const auto bitmap = gdi::LoadImage(argv[1], &why);
    if (!bitmap) {
        std::fprintf(stderr, "%s: %s\n", argv[1], why.c_str());
        return 1;
    }
    std::printf("%d %d %d\n", bitmap->Width(), bitmap->Height(), bitmap->BitsPerPixel());
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x) {
            const gdi::COLORREF c = bitmap->GetPixel(x, y);
            const unsigned char rgb[3] = {gdi::GetRValue(c), gdi::GetGValue(c), gdi::GetBValue(c)};
            std::fwrite(rgb, 1, 3, stdout);
        }
    return 0;
}
