// Fuzz target: font record parsing. A record that parses must serialise, and the serialised
// record must parse and serialise to the same bytes.
#include "core/FontRecord.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ParseHeaderOnly({data, size});
    const auto font = Parse({data, size});
    if (!font || font->header.headerOnly != 0) return 0;
    const auto bytes = Serialise(*font);
    if (!bytes) std::abort();
    const auto again = Parse(*bytes);
    if (!again) std::abort();
    if (Serialise(*again) != bytes) std::abort();
    return 0;
}
