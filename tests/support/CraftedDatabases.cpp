// CraftedDatabases.cpp: Typehold files as other programs and handhelds write them, built in the
// test rather than kept as files.
#include "CraftedDatabases.h"

#include "SampleFonts.h"
#include "core/FontList.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/bytes/ByteOrder.h"

#include <stdexcept>

using qz_gen::CDbRecord;
using qz_gen::CPalmDb;

CDbRecord fontRecordWithID(const std::string& name, std::uint32_t id) {
    const auto bytes = Serialise(tinyFont(false, name)).value();
    CDbRecord r;
    r.SetData(static_cast<std::uint32_t>(bytes.size()), bytes.data());
    r.SetUniqueID(id);
    return r;
}

CDbRecord deletedRecordWithID(std::uint32_t id) {
    CDbRecord r;
    r.SetUniqueID(id);
    r.SetFlags(CDbRecord::kFlagDeleted);
    return r;
}

std::vector<std::uint8_t> craftedAppInfo(std::size_t size) {
    std::vector<std::uint8_t> block(size);
    for (std::size_t i = 0; i < size; ++i) block[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return block;
}

std::vector<std::uint8_t> typeholdFile(const std::vector<CDbRecord>& records, std::size_t appInfoSize) {
    CPalmDb db;
    for (auto r : records)
        if (db.AddRecord(r) != 0) throw std::runtime_error("out of memory");
    db.SetName("Crafted");
    db.Header().type = CFontList::kTypeXFnt;
    db.Header().creator = CFontList::kCreatorFmgr;
    db.SetLayoutFields();
    std::vector<std::uint8_t> file = db.ToBytes();
    if (appInfoSize == 0) return file;
    const std::size_t blockAt = CPalmDb::kHeaderSize + CPalmDb::kGapSize + records.size() * CPalmDb::kRecordEntrySize;
    bytes::storeU32BE(&file[52], static_cast<std::uint32_t>(blockAt));
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::uint8_t* offset = &file[CPalmDb::kHeaderSize + i * CPalmDb::kRecordEntrySize];
        bytes::storeU32BE(offset, bytes::loadU32BE(offset) + static_cast<std::uint32_t>(appInfoSize));
    }
    const auto block = craftedAppInfo(appInfoSize);
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(blockAt), block.begin(), block.end());
    return file;
}

std::vector<std::uint8_t> withoutGap(const CPalmDb& db) {
    auto bytes = db.ToBytes();
    const std::size_t records = bytes::loadU16BE(bytes.data() + 76);
    const auto lower = [&](std::size_t at) {
        const std::uint32_t offset = bytes::loadU32BE(bytes.data() + at);
        if (offset != 0) bytes::storeU32BE(bytes.data() + at, offset - 2);
    };
    lower(52);  // the application info block
    for (std::size_t i = 0; i < records; ++i) lower(78 + 8 * i);
    const auto gap = bytes.begin() + static_cast<std::ptrdiff_t>(78 + 8 * records);
    bytes.erase(gap, gap + 2);
    return bytes;
}
