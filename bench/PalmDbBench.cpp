// Benchmarks of the database container and the font record layout: writing and reading a
// database of many records, serialising and parsing a font record.
#include "core/FontRecord.h"
#include "core/qz_fileio/PalmDb.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {
std::unique_ptr<qz_gen::CPalmDb> databaseOf(int records, std::size_t recordSize) {
    auto db = std::make_unique<qz_gen::CPalmDb>();
    std::vector<std::uint8_t> data(recordSize, 0x5A);
    for (int i = 0; i < records; ++i) {
        qz_gen::CDbRecord r;
        r.SetData(static_cast<std::uint32_t>(data.size()), data.data());
        r.SetUniqueID(static_cast<std::uint32_t>(i + 1));
        db->AddRecord(r);
    }
    db->SetLayoutFields();
    return db;
}

void BM_PalmDbToBytes(benchmark::State& state) {
    const auto db = databaseOf(static_cast<int>(state.range(0)), 4096);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto image = db->ToBytes();
        bytes = image.size();
        benchmark::DoNotOptimize(image.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PalmDbToBytes)->Arg(84)->Arg(2000);

void BM_PalmDbRead(benchmark::State& state) {
    const auto image = databaseOf(static_cast<int>(state.range(0)), 4096)->ToBytes();
    for (auto _ : state) {
        qz_gen::CPalmDb db;
        benchmark::DoNotOptimize(db.ReadFromBytes(image));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_PalmDbRead)->Arg(84)->Arg(2000);

CFontRecord largeFont() {
    CFontRecord f;
    f.font.fontType = CFontRecord::kTwoDensityType;
    f.font.firstChar = 32;
    f.font.lastChar = 255;
    f.font.fRectHeight = 30;
    f.font.rowWords = 200;
    const int count = f.Count();
    f.locationTable.assign(static_cast<std::size_t>(count) + 1, 0);
    f.offsetWidth.assign(2 * static_cast<std::size_t>(count), 0);
    f.strike1.assign(f.StrikeBytes(), 0xA5);
    f.strike2.assign(4 * f.StrikeBytes(), 0x5A);
    f.header.fontDataLength = static_cast<std::uint32_t>(f.LayoutLength());
    f.name = "Bench Sans";
    return f;
}

void BM_FontRecordSerialiseParse(benchmark::State& state) {
    const auto font = largeFont();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto image = Serialise(font);
        bytes = image->size();
        benchmark::DoNotOptimize(Parse(*image));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FontRecordSerialiseParse);
}  // namespace

BENCHMARK_MAIN();
