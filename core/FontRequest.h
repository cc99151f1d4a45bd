// FontRequest.h: the font the converter asks for: one installed face in one character set, at a
// size in points, with a weight and a slant. The wizard and the details dialog make one; the
// builds below turn it into the engine's descriptions, at the pixel heights they need.
#pragma once

#include "platform/gdi/FontEngine.h"

#include <cstdint>
#include <string>

struct FontRequest {
    std::string face;                  // as the engine lists it
    std::uint8_t charSet = 0;
    std::uint8_t pitchAndFamily = 0;   // as the engine lists the face
    int pointSize = 0;
    std::int32_t weight = gdi::FW_NORMAL;
    bool italic = false;

    bool Bold() const { return weight > gdi::FW_NORMAL; }
    // The face name a description and a record hold: at most 31 bytes.
    std::string FaceName() const;
    // The engine's description of the face with a character height of pixels (TrueType
    // precision; width, escapement and the other fields 0).
    gdi::LOGFONT DescriptionAt(int pixels) const;
};
