// SamplePictures.cpp: small pictures drawn by the program itself, for demonstrations.
#include "SamplePictures.h"

#include "platform/gdi/BmpFile.h"
#include "platform/gdi/Bitmap.h"

namespace {
constexpr int kSide = 160;

std::uint8_t mix(int from, int to, int step, int steps) { return static_cast<std::uint8_t>(from + (to - from) * step / steps); }

bool inDisc(int x, int y, int cx, int cy, int r) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; }

void drawSunset(gdi::Bitmap& b) {
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            gdi::COLORREF c;
            if (y > 110) c = gdi::RGB(20, mix(60, 30, y - 110, 50), mix(120, 60, y - 110, 50));  // the sea
            else if (inDisc(x, y, 80, 105, 30)) c = gdi::RGB(255, 220, 40);                     // the sun
            else c = gdi::RGB(255, mix(60, 170, y, 110), mix(120, 40, y, 110));                  // the sky
            b.SetPixel(x, y, c);
        }
}

void drawMoon(gdi::Bitmap& b) {
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            gdi::COLORREF c = gdi::RGB(10, 16, mix(70, 20, y, kSide));
            if (inDisc(x, y, 100, 60, 35) && !inDisc(x, y, 115, 50, 30)) c = gdi::RGB(245, 240, 210);
            if ((x * 37 + y * 91) % 211 == 0 && y < 120) c = gdi::RGB(255, 255, 255);  // stars
            b.SetPixel(x, y, c);
        }
}
}  // namespace

bool writeSamplePicture(const std::string& name, const std::string& path, bool overwrite) {
    auto bitmap = gdi::CreateCompatibleBitmap(kSide, kSide);
    if (!bitmap) return false;
    if (name == "sunset") drawSunset(*bitmap);
    else if (name == "moon") drawMoon(*bitmap);
    else return false;
    const auto dib = gdi::bitmapToPackedDib(*bitmap);
    return dib && gdi::writeBmpFile(path, *dib, overwrite);
}
