// The add-font wizard's batch as the progress dialog runs it: three DejaVu faces x 9, 12, 16 and
// 24 pt x four styles at double density, through the batch worker on one thread and on one
// thread per core. Prints each run's seconds and whether both gave the same records.
//   addgroup_bench [--runs N]
#include "app/BatchWorker.h"
#include "core/FontList.h"
#include "core/qz_fileio/DbRecord.h"
#include "platform/gdi/FreeTypeFontEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
struct Quiet final : BatchReceiver {
    void Post(const BatchNotice&) override {}
};

using Records = std::vector<std::vector<std::uint8_t>>;

// Seconds of one batch on threads threads; records gets what it made.
double timedBatch(gdi::FontEngine& engine, const std::vector<Combination>& plan, unsigned threads, Records& records) {
    CFontList list;
    list.New();
    Quiet quiet;
    const auto start = std::chrono::steady_clock::now();
    {
        BatchWorker worker(engine, list, plan, true, quiet, threads);
        worker.Start();
        worker.Wait();
        if (!worker.Result().completed) {
            std::fprintf(stderr, "addgroup_bench: the batch failed: %s\n", worker.Result().failure.c_str());
            std::exit(1);
        }
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    records.clear();
    for (std::size_t i = 0; i < list.Count(); ++i)
        records.emplace_back(list.At(i)->record->Bytes().begin(), list.At(i)->record->Bytes().end());
    return seconds.count();
}
}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    if (argc == 3 && std::strcmp(argv[1], "--runs") == 0) runs = std::max(1, std::atoi(argv[2]));
    gdi::FreeTypeFontEngine engine;
    FontCatalog catalog;
    catalog.Enumerate(engine);
    std::vector<FontCatalogEntry> faces;
    for (const char* name : {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"}) {
        const auto face = catalog.Find(name, std::uint8_t{0});
        if (!face) {
            std::fprintf(stderr, "addgroup_bench: %s is not installed\n", name);
            return 1;
        }
        faces.push_back(*face);
    }
    const auto plan = PlanBatch(faces, {9, 12, 16, 24},
                                {FontStyle::Regular, FontStyle::Bold, FontStyle::Italic, FontStyle::BoldItalic});
    const unsigned threads = DefaultBatchThreads();
    std::printf("plan %zu combinations, threads %u\n", plan.size(), threads);
    Records one, pooled;
    bool same = true;
    for (int run = 0; run < runs; ++run) {
        const double a = timedBatch(engine, plan, 1, one);
        const double b = timedBatch(engine, plan, threads, pooled);
        same = same && one == pooled;
        std::printf("one %.4f pool %.4f\n", a, b);
    }
    std::printf("same %s\n", same ? "yes" : "no");
    return same ? 0 : 1;
}
