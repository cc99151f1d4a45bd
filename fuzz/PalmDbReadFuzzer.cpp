// Fuzz target: CPalmDb reading arbitrary bytes. Whatever it accepts must write back into a file
// that reads the same again.
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/PalmDb.h"

#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qz_gen::CPalmDb db;
    try {
        if (db.ReadFromBytes({data, size}) != qz_gen::kDbOk) return 0;
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        return 0;
    }
    db.SetLayoutFields();
    const auto written = db.ToBytes();
    qz_gen::CPalmDb again;
    if (again.ReadFromBytes(written) != qz_gen::kDbOk) std::abort();
    again.SetLayoutFields();
    if (again.ToBytes() != written) std::abort();
    return 0;
}
