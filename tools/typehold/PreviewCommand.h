// PreviewCommand.h: `typehold preview`, a listed font as a PNG a person can read: a labelled grid
// of the characters of each strike and sample text on the handheld's screens.
#pragma once

#include <string>

// An existing file at out is replaced only with overwrite.
int runPreview(const std::string& file, unsigned entry, const std::string& out, bool overwrite = false);
