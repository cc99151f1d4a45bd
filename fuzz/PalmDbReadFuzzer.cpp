// Fuzz target: CPalmDb reading arbitrary bytes. Whatever it accepts must write back into a file
// that reads the same again, and reading the layout alone must accept exactly what it accepts.
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/PalmDb.h"

#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto accepts = [](const auto& read) {
        try {
            return read() == qz_gen::kDbOk;
        } catch (qz_gen::CException* caught) {
            std::unique_ptr<qz_gen::CException> e(caught);
            return false;
        }
    };
    qz_gen::CPalmDb db, layout;
    const bool read = accepts([&] { return db.ReadFromBytes({data, size}); });
    if (accepts([&] { return layout.ReadLayout({data, size}, size); }) != read) std::abort();
    if (!read) return 0;
    db.SetLayoutFields();
    const auto written = db.ToBytes();
    qz_gen::CPalmDb again;
    if (again.ReadFromBytes(written) != qz_gen::kDbOk) std::abort();
    again.SetLayoutFields();
    if (again.ToBytes() != written) std::abort();
    return 0;
}
