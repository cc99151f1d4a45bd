// Fuzz target: a face's family name from a font file's 'name' table. The first byte chooses the
// face; the rest is the file. A name found is what the installed faces could hold, and reading
// the file's first bytes only either finds the same 'name' table or none.
#include "platform/gdi/NameTable.h"

#include <cstdlib>

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int index = data[0] % 4;
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    const auto family = gdi::NameTableFamily(file, index);
    if (family) check(!family->empty() && family->size() <= 31);
    const auto range = gdi::NameTableRange(file, file.size(), index);
    check(range.has_value() || !family);
    if (range) check(range->offset <= file.size() && range->length <= file.size() - range->offset);
    for (const std::size_t head : {std::size_t(0), file.size() / 2, file.size() / 3}) {
        const auto partial = gdi::NameTableRange(file.first(head), file.size(), index);
        check(!partial || (range && partial->offset == range->offset && partial->length == range->length));
    }
    return 0;
}
