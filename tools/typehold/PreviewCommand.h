// PreviewCommand.h: `typehold preview`, a listed font's strikes and a line of sample text as a PNG.
#pragma once

#include <string>

int runPreview(const std::string& file, unsigned entry, const std::string& out);
