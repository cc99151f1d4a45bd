// SampleCommand.h: `typehold sample OUT.pdb`, a small Typehold file made from a built-in 3 x 5
// pixel digit font, in both record layouts.
#pragma once

#include <string>

// An existing file at outPath is replaced only with overwrite.
int runSample(const std::string& outPath, bool overwrite = false);
