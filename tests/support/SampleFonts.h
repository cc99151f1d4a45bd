// SampleFonts.h: small, valid font records for tests.
#pragma once

#include "core/FontRecord.h"

#include <string>

// A font of one character ('A' and the missing symbol), two rows, in either layout.
CFontRecord tinyFont(bool twoDensities, const std::string& name = "T", const std::string& style = "",
                     std::uint16_t pointSize = 9);
