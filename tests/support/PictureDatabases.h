// PictureDatabases.h: the databases a handheld keeps for the picture conduit, built in the test:
// picture databases, the device-format database, databases of other programs, and .bmp files
// for the sync folder.
#pragma once

#include "core/qz_fileio/PalmDb.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A database of the type and creator with an application info block (none when empty) and the
// records in order.
std::unique_ptr<qz_gen::CPalmDb> craftedDatabase(const std::string& name, std::uint32_t type, std::uint32_t creator,
                                const std::vector<std::uint8_t>& info, const std::vector<std::vector<std::uint8_t>>& records);

// A picture database (creator DrAw) of record cut into 4096-byte records, whose info block has
// tag and declares length (the record's own length by default).
std::unique_ptr<qz_gen::CPalmDb> craftedPicture(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& record,
                               std::uint16_t tag = 12, std::optional<std::uint32_t> declared = std::nullopt);

// "PictaroFormatDb" with its one record of device limits.
std::unique_ptr<qz_gen::CPalmDb> craftedFormat(std::uint8_t depth, std::int16_t maxWidth, std::int16_t maxHeight, std::uint16_t density,
                              std::uint32_t maxRaw);

// A version-1 8-bit picture record of width x 1 that is exactly size bytes long.
std::vector<std::uint8_t> pictureOfSize(std::size_t size);

// A grey 24-bit .bmp file of width x height.
std::vector<std::uint8_t> greyBmp(int width, int height);
