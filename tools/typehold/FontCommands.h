// FontCommands.h: `typehold fonts` and `typehold convert`, installed fonts to Typehold files.
#pragma once

#include <optional>
#include <string>
#include <vector>

int runFonts(std::optional<int> charSet, bool json);

struct ConvertOptions {
    std::string out;
    std::vector<std::string> faces;
    std::optional<int> charSet;
    std::vector<int> sizes{9, 12, 14};
    std::vector<std::string> styles{"regular", "bold", "italic", "bolditalic"};
    bool highDensity = true;
};

int runConvert(const ConvertOptions& options);
