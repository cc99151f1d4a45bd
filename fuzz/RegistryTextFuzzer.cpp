// Fuzz target: the registry file's reader. A text it accepts writes back into a text that reads
// the same.
#include "platform/win/RegistryText.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto tree = win::RegistryTree::Parse({reinterpret_cast<const char*>(data), size});
    if (!tree) return 0;
    const std::string text = tree->Serialise();
    const auto again = win::RegistryTree::Parse(text);
    if (!again || again->Serialise() != text) std::abort();
    return 0;
}
