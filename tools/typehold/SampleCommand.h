// SampleCommand.h: `typehold sample OUT.pdb`, a small Typehold file made from a built-in 3 x 5
// pixel digit font, in both record layouts.
#pragma once

#include <string>

int runSample(const std::string& outPath);
