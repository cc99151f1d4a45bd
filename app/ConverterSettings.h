// ConverterSettings.h: the add-font choices the converter remembers per user (point sizes and
// which are converted, script, styles, double density), kept in the registry under
// "Preferences":
//   "Script"       REG_DWORD   character set of the chosen script; 1 means all scripts
//   "Create HiRes" REG_DWORD   0 or 1
//   "L-R Sizes"    REG_BINARY  168 bytes: 21 pairs of (size, checked), 4-byte little-endian words;
//                             the sizes are 6 to 26 points
//   "Styles"       REG_BINARY  16 bytes: Regular, Bold, Italic, Bold Italic flags
#pragma once

#include "core/Outcome.h"

#include <array>
#include <cstdint>
#include <vector>

class RegistryStore;

struct SizeChoice {
    std::uint32_t size = 0;
    std::uint32_t checked = 0;
};

class ConverterSettings {
public:
    static constexpr std::size_t kSizeCount = 21;
    static constexpr std::uint32_t kFirstSize = 6;  // the sizes offered are 6 to 26 points
    static constexpr std::uint32_t kAllScripts = 1;

    ConverterSettings();

    // Missing values, and "L-R Sizes" or "Styles" values of any other length, keep the defaults.
    // A stored size other than 6 to 26 points is ignored, so the sizes stay 6 to 26 in order.
    void Load(RegistryStore& store);
    // Write errors are ignored.
    void Save(RegistryStore& store) const;
    // Refuses with message 157 when no style is chosen, else 158 when no size is.
    Outcome ValidateForExport() const;
    // The same rule for choices made elsewhere (the command line's own sizes and styles).
    static Outcome ValidateChoices(int styleCount, int sizeCount);

    int CheckedSizeCount() const;
    std::vector<int> CheckedSizes() const;
    int CheckedStyleCount() const;

    std::array<SizeChoice, kSizeCount> sizes;
    std::uint32_t script = 0;
    std::uint32_t createHiRes = 1;
    std::array<std::uint32_t, 4> styles{1, 1, 1, 1};
};
