// Fuzz target: the .bmp loader on arbitrary bytes. A picture it accepts has a sane size and
// every pixel can be read; the row reader, given the same bytes as a file, accepts exactly the
// pictures the loader accepts and gives the same rows; and once the file under an open row
// reader is cut short, every row it gives is still one of the picture it opened (or none). The
// size the headers state, read without the loader's limits, is the size of every picture the
// loader accepts. A 24- or 32-bit picture the writer writes back loads as the same picture.
#include "platform/gdi/BmpFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {
// A file in a folder of this process's own, memory-backed where there is one, removed at exit.
char scratchFolder[64];
const std::string& scratchFile() {
    static const std::string path = [] {
        std::snprintf(scratchFolder, sizeof scratchFolder, "%s/bmp-fuzz-XXXXXX",
                      ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        if (!::mkdtemp(scratchFolder)) std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchFolder, ignored);
        });
        return std::string(scratchFolder) + "/back.bmp";
    }();
    return path;
}

void writeAndReadBack(const gdi::Bitmap& bitmap) {
    const auto block = gdi::bitmapToPackedDib(bitmap);
    if (!block || !gdi::writeBmpFile(scratchFile(), *block, true)) std::abort();
    const auto back = gdi::LoadImage(scratchFile());
    if (!back || back->Width() != bitmap.Width() || back->Height() != bitmap.Height() ||
        back->BitsPerPixel() != bitmap.BitsPerPixel())
        std::abort();
    for (int y = 0; y < bitmap.Height(); ++y)
        if (std::memcmp(back->Row(y), bitmap.Row(y), 3 * std::size_t(bitmap.Width())) != 0) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto bitmap = gdi::LoadImageFromBytes({data, size});
    if (bitmap && (bitmap->Width() <= 0 || bitmap->Height() <= 0)) std::abort();
    const auto stated = gdi::StatedBmpSize({data, std::min(size, gdi::kBmpSizeBytes)});
    if (stated && (stated->width <= 0 || stated->height <= 0)) std::abort();
    if (bitmap && (!stated || stated->width != bitmap->Width() || stated->height != bitmap->Height())) std::abort();

    const int fd = ::memfd_create("bmp", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (::write(fd, data, size) != static_cast<ssize_t>(size)) {
        ::close(fd);
        return 0;
    }
    auto rows = gdi::BmpRowReader::Open("/proc/self/fd/" + std::to_string(fd));
    if (static_cast<bool>(rows) != static_cast<bool>(bitmap)) std::abort();
    if (bitmap) {
        if (rows->Width() != bitmap->Width() || rows->Height() != bitmap->Height() ||
            rows->BitsPerPixel() != bitmap->BitsPerPixel())
            std::abort();
        std::vector<std::uint8_t> row(3 * std::size_t(bitmap->Width()));
        for (int y = 0; y < bitmap->Height(); ++y)
            if (!rows->ReadRow(y, row.data()) || std::memcmp(row.data(), bitmap->Row(y), row.size()) != 0) std::abort();
        // Another writer cuts the file to half: the reader reads no row past what it holds.
        auto again = gdi::BmpRowReader::Open("/proc/self/fd/" + std::to_string(fd));
        if (again && ::ftruncate(fd, static_cast<off_t>(size / 2)) == 0)
            for (int y = again->Height() - 1; y >= 0; --y)
                if (again->ReadRow(y, row.data()) && std::memcmp(row.data(), bitmap->Row(y), row.size()) != 0) std::abort();
    }
    ::close(fd);
    if (bitmap && (bitmap->BitsPerPixel() == 24 || bitmap->BitsPerPixel() == 32)) writeAndReadBack(*bitmap);
    return 0;
}
