// NameTable.cpp: the family name of a face from the raw 'name' table of its font file.
#include "NameTable.h"

#include "FontEngine.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteReader.h"

namespace gdi {

namespace {
constexpr std::uint32_t kCollectionTag = 0x74746366;  // 'ttcf'
constexpr std::uint32_t kNameTag = 0x6E616D65;        // 'name'
constexpr std::uint16_t kWindowsPlatform = 3;
constexpr std::uint16_t kFamilyNameId = 1;
constexpr std::uint16_t kUsEnglish = 0x0409;

bool isFaceVersion(std::uint32_t version) {
    return version == 0x00010000 || version == 0x74727565 /* 'true' */ || version == 0x4F54544F /* 'OTTO' */;
}

// The one 'name' table of the face whose table directory starts at directory of head.
std::optional<FileRange> nameTableOf(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                                     std::size_t directory) {
    bytes::ByteReader reader(head);
    const auto version = reader.seek(directory) ? reader.readU32() : std::nullopt;
    const auto tables = reader.readU16();
    if (!version || !isFaceVersion(*version) || !tables || !reader.skip(6)) return std::nullopt;
    std::optional<FileRange> name;
    for (unsigned i = 0; i < *tables; ++i) {
        const auto tag = reader.readU32();
        const bool checksum = reader.skip(4);
        const auto offset = reader.readU32(), length = reader.readU32();
        if (!tag || !checksum || !offset || !length) return std::nullopt;
        if (*tag != kNameTag) continue;
        // A second one, or one that does not fit, is read by FreeType rules this does not repeat.
        if (name || *length == 0 || *offset > fileSize || *length > fileSize - *offset) return std::nullopt;
        name = FileRange{*offset, *length};
    }
    return name;
}
}  // namespace

std::string WindowsNameAs8Bit(std::span<const std::uint8_t> utf16) {
    std::string out;
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
        const unsigned unit = bytes::loadU16BE(utf16.data() + i);
        out.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
    }
    return out;
}

std::optional<FileRange> NameTableRange(std::span<const std::uint8_t> head, std::uint64_t fileSize, int index) {
    if (index < 0) return std::nullopt;
    bytes::ByteReader header(head);
    const auto tag = header.readU32();
    if (!tag) return std::nullopt;
    std::size_t directory = 0;
    if (*tag == kCollectionTag) {
        const auto count = header.skip(4) ? header.readU32() : std::nullopt;
        if (!count || std::uint32_t(index) >= *count || !header.skip(4 * std::size_t(index))) return std::nullopt;
        const auto offset = header.readU32();
        if (!offset) return std::nullopt;
        directory = *offset;
    } else if (index != 0) {
        return std::nullopt;
    }
    return nameTableOf(head, fileSize, directory);
}

std::optional<std::string> FamilyInNameTable(std::span<const std::uint8_t> table) {
    bytes::ByteReader reader(table);
    const auto format = reader.readU16(), count = reader.readU16(), storage = reader.readU16();
    if (!format || *format > 1 || !count || !storage || *storage > table.size()) return std::nullopt;
    const auto strings = table.subspan(*storage);
    std::optional<std::string> first;
    for (unsigned i = 0; i < *count; ++i) {
        const auto platform = reader.readU16(), encoding = reader.readU16(), language = reader.readU16();
        const auto nameId = reader.readU16(), length = reader.readU16(), offset = reader.readU16();
        if (!platform || !encoding || !language || !nameId || !length || !offset) return std::nullopt;
        if (*platform != kWindowsPlatform || *nameId != kFamilyNameId) continue;
        // An empty family name, or one whose bytes lie outside the storage, is one FreeType may
        // leave out of the face's names.
        if (*length == 0 || *offset > strings.size() || *length > strings.size() - *offset) return std::nullopt;
        std::string name = WindowsNameAs8Bit(strings.subspan(*offset, *length));
        if (*language == kUsEnglish) {
            first = std::move(name);
            break;
        }
        if (!first || first->empty()) first = std::move(name);
    }
    if (!first || first->empty()) return std::nullopt;
    if (first->size() > LF_FACESIZE - 1) first->resize(LF_FACESIZE - 1);
    return first;
}

std::optional<std::string> NameTableFamily(std::span<const std::uint8_t> file, int index) {
    const auto range = NameTableRange(file, file.size(), index);
    if (!range) return std::nullopt;
    return FamilyInNameTable(file.subspan(range->offset, range->length));
}

}  // namespace gdi
