// FontEntry.h: one listed font of a font list.
#pragma once

#include <cstdint>
#include <string>

namespace qz_gen {
class CDbRecord;
}

struct FontEntry {
    qz_gen::CDbRecord* record = nullptr;  // inside the list's database; not owned
    std::string name;
    std::string style;     // "" regular, "B", "I", "BI", or any text the details dialog set
    std::uint8_t size = 0; // low byte of the record header's point size
    std::uint32_t highDensity = 0;  // 0 or 0x0200
    std::uint32_t headerOnly = 0;   // 1 when the record carries no font data
};
