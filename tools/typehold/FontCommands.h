// FontCommands.h: `typehold fonts` and `typehold convert`, installed fonts to Typehold files.
#pragma once

#include <optional>
#include <string>
#include <vector>

int runFonts(std::optional<int> charSet, bool json);

// Choices not given come from the converter's stored settings (their defaults: 9, 12 and 14
// points, four styles, double density, the face's first script).
struct ConvertOptions {
    std::string out;
    std::vector<std::string> faces;
    std::optional<int> charSet;
    std::vector<int> sizes;           // empty: the stored sizes
    std::vector<std::string> styles;  // empty: the stored styles
    std::optional<bool> highDensity;
    bool saveSettings = false;        // store the choices, as the wizard's Finish does
    unsigned jobs = 0;                // threads converting at once; 0: one per core
};

int runConvert(const ConvertOptions& options);
