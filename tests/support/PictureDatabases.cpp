// PictureDatabases.cpp: the databases a handheld keeps for the picture conduit, built in the test.
#include "PictureDatabases.h"

#include "BmpBuilder.h"
#include "platform/bytes/ByteWriter.h"

#include <algorithm>

namespace {
constexpr std::uint32_t kDrAw = 0x44724177;
}

std::unique_ptr<qz_gen::CPalmDb> craftedDatabase(const std::string& name, std::uint32_t type, std::uint32_t creator,
                                const std::vector<std::uint8_t>& info, const std::vector<std::vector<std::uint8_t>>& records) {
    auto db = std::make_unique<qz_gen::CPalmDb>();
    db->SetName(name);
    db->Header().type = type;
    db->Header().creator = creator;
    if (!info.empty()) db->SetAppInfo(static_cast<std::uint32_t>(info.size()), info.data());
    for (std::size_t i = 0; i < records.size(); ++i) {
        qz_gen::CDbRecord r;
        r.SetData(static_cast<std::uint32_t>(records[i].size()), records[i].data());
        r.SetUniqueID(static_cast<std::uint32_t>(i + 1));
        db->AddRecord(r);
    }
    db->SetLayoutFields();
    return db;
}

std::unique_ptr<qz_gen::CPalmDb> craftedPicture(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& record,
                               std::uint16_t tag, std::optional<std::uint32_t> declared) {
    std::vector<std::uint8_t> info;
    bytes::ByteWriter w(info);
    w.writeU16(tag);
    w.writeU32(declared.value_or(static_cast<std::uint32_t>(record.size())));
    std::vector<std::vector<std::uint8_t>> chunks;
    for (std::size_t at = 0; at < record.size(); at += 4096)
        chunks.emplace_back(record.begin() + static_cast<std::ptrdiff_t>(at),
                            record.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(at + 4096, record.size())));
    return craftedDatabase(name, type, kDrAw, info, chunks);
}

std::unique_ptr<qz_gen::CPalmDb> craftedFormat(std::uint8_t depth, std::int16_t maxWidth, std::int16_t maxHeight, std::uint16_t density,
                              std::uint32_t maxRaw) {
    std::vector<std::uint8_t> record;
    bytes::ByteWriter w(record);
    w.writeZeros(3);
    w.writeU8(depth);
    w.writeI16(maxWidth);
    w.writeI16(maxHeight);
    w.writeU16(density);
    w.writeU32(maxRaw);
    w.writeU8(1);  // compression
    w.writeU8(0);
    return craftedDatabase("PictaroFormatDb", 0x666D7464, kDrAw, {}, {record});
}

std::vector<std::uint8_t> pictureOfSize(std::size_t size) {
    std::vector<std::uint8_t> r;
    bytes::ByteWriter w(r);
    w.writeU8(10);  // header size
    w.writeU8(1);   // version
    w.writeU16(static_cast<std::uint16_t>(size - 10));  // width
    w.writeU16(1);  // height
    w.writeU8(8);   // depth
    w.writeU8(2);   // density level
    w.writeU16(72);
    r.resize(size, 125);
    return r;
}

std::vector<std::uint8_t> greyBmp(int width, int height) {
    BmpLayout s;
    s.width = width;
    s.height = height;
    s.bitCount = 24;
    s.pixels.assign((std::size_t(width) * 3 + 3) / 4 * 4 * std::size_t(height), 0x80);
    return buildBmp(s);
}
