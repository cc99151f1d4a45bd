// Benchmarks of the picture codec: decoding records into a bitmap and its packed DIB, and
// encoding .bmp files into records, at 8 and 16 bits, compressed and not, beside a plain memory
// copy of the same pixel bytes.
#include "platform/gdi/BmpFile.h"
#include "picture/PictureEncoder.h"
#include "picture/PictureExporter.h"
#include "platform/gdi/Bitmap.h"
#include "platform/win/AtomicFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
// A 24-bit .bmp of side x side pixels: smooth gradients with flat areas, like a drawing.
std::string writeTestBmp(int side) {
    const std::string path = "/tmp/picture-bench-" + std::to_string(side) + "-" + std::to_string(::getpid()) + ".bmp";
    auto bitmap = gdi::CreateCompatibleBitmap(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const bool flat = ((x / 64) + (y / 64)) % 3 == 0;
            bitmap->SetPixel(x, y, flat ? gdi::RGB(255, 255, 255)
                                        : gdi::RGB(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                                   static_cast<std::uint8_t>(x ^ y)));
        }
    const auto dib = gdi::bitmapToPackedDib(*bitmap);
    gdi::writeBmpFile(path, *dib, true);
    return path;
}

DeviceFormat formatFor(int depth, bool compressed) {
    DeviceFormat f;
    f.depth = static_cast<std::uint8_t>(depth);
    f.density = 72;
    f.compression = compressed ? 1 : 0;
    f.maxRawSize = 0xFFFFFFFF;
    return f;
}

// Pixel data in MB: width x height x bytes per pixel of the record.
std::int64_t pixelBytes(int side, int depth) { return std::int64_t(side) * side * (depth / 8); }

void BM_Encode(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0)), depth = static_cast<int>(state.range(1));
    const bool compressed = state.range(2) != 0;
    const std::string path = writeTestBmp(side);
    std::vector<std::uint8_t> record;
    std::uint32_t length = 0;
    for (auto _ : state) {
        buildPictureRecord(path, formatFor(depth, compressed), record, length);
        benchmark::DoNotOptimize(record.data());
    }
    ::unlink(path.c_str());
    state.SetBytesProcessed(state.iterations() * pixelBytes(side, depth));
}

void BM_Decode(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0)), depth = static_cast<int>(state.range(1));
    const bool compressed = state.range(2) != 0;
    const std::string path = writeTestBmp(side);
    std::vector<std::uint8_t> record;
    std::uint32_t length = 0;
    buildPictureRecord(path, formatFor(depth, compressed), record, length);
    ::unlink(path.c_str());
    for (auto _ : state) {
        PictureExporter exporter;
        if (!exporter.decodePicture(record)) state.SkipWithError("decode failed");
        auto dib = gdi::bitmapToPackedDib(*exporter.bitmap());
        benchmark::DoNotOptimize(dib->data());
    }
    state.SetBytesProcessed(state.iterations() * pixelBytes(side, depth));
}

void BM_MemoryCopy(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0)), depth = static_cast<int>(state.range(1));
    std::vector<std::uint8_t> from(static_cast<std::size_t>(pixelBytes(side, depth)), 0x5A), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * pixelBytes(side, depth));
}

void codecArgs(benchmark::internal::Benchmark* b) {
    for (const int side : {320, 4096})
        for (const int depth : {8, 16})
            for (const int compressed : {0, 1}) b->Args({side, depth, compressed});
    b->ArgNames({"side", "depth", "compressed"})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Encode)->Apply(codecArgs);
BENCHMARK(BM_Decode)->Apply(codecArgs);
BENCHMARK(BM_MemoryCopy)->Args({320, 8})->Args({320, 16})->Args({4096, 8})->Args({4096, 16})->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
