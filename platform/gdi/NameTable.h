// NameTable.h: a face's family name read from its font file's table directory and 'name' table
// alone, without opening the face, so that a command converting named families can leave every
// other installed face unread. All values big-endian.
//
// Font file (one face)                     TrueType collection
//   off  size  meaning                       off  size  meaning
//     0     4  version (0x00010000, 'true'     0     4  'ttcf'
//              or 'OTTO')                      4     4  version
//     4     2  numTables                       8     4  numFonts
//     6     6  search fields                  12  4*n  offset of each face's table directory,
//    12  16*n  table records: tag (4),                   laid out as a file's from its version
//              checksum (4), offset (4),
//              length (4); offsets from the
//              file's start
//
// 'name' table
//   off  size  meaning
//     0     2  format (0 or 1)
//     2     2  count of name records
//     4     2  offset of the string storage from the table's start
//     6  12*n  records: platformID (2), encodingID (2), languageID (2), nameID (2), length (2),
//              offset into the storage (2)
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace gdi {

// The family name of face index of file as the installed faces take it: name ID 1 of the Windows
// platform, US English before the first other language, its UTF-16 units as Latin-1 bytes ('?'
// past U+00FF), cut to 31 bytes. None where the bytes do not settle it the way FreeType would
// read them: not a font file or collection, no such face, no 'name' table or more than one, a
// record or table that does not fit, or no Windows family name (the face then takes FreeType's
// name for it).
std::optional<std::string> NameTableFamily(std::span<const std::uint8_t> file, int index);

// The two steps of NameTableFamily, for a file read in parts. Where face index's 'name' table
// lies in a file of fileSize bytes, from its first bytes (head), which must hold the face's
// table directory; none as NameTableFamily gives none, or when head ends before the directory.
struct FileRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};
std::optional<FileRange> NameTableRange(std::span<const std::uint8_t> head, std::uint64_t fileSize, int index);
// The family name in the bytes of a 'name' table.
std::optional<std::string> FamilyInNameTable(std::span<const std::uint8_t> table);

// A Windows-platform name (UTF-16BE units) as 8-bit text: Latin-1 where a unit fits, '?'
// elsewhere; an odd last byte is dropped.
std::string WindowsNameAs8Bit(std::span<const std::uint8_t> utf16);

}  // namespace gdi
