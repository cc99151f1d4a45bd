// PalmDb.h: CPalmDb, a Palm database file (record or resource database) in memory.
//
// File layout (all numbers big-endian):
//   offset size  field
//   0      32    name, zero-terminated, rest zero
//   32     2     attributes (0x0001 resource database, 0x0008 backup, 0x0010 install newer,
//                0x0020 reset after install)
//   34     2     version
//   36     4     creationDate        40 4 modificationDate     44 4 lastBackupDate
//   48     4     modificationNumber  52 4 appInfoID            56 4 sortInfoID
//   60     4     type                64 4 creator              68 4 uniqueIDSeed
//   72     4     nextRecordListID    76 2 numRecords (n)
//   78     8n    record list: offset (4), attributes (1), uniqueID (3)
//          10n   or resource list: type (4), resource ID (2), offset (4)
//   +0     2     gap, two zero bytes
//   then the application-info block, the sort-info block and the records' bytes back to back.
#pragma once

#include "RecordSet.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qz_gen {

class CFile;

struct PalmDbHeader {
    std::array<std::uint8_t, 32> name{};
    std::uint16_t attributes = 0;
    std::uint16_t version = 0;
    std::uint32_t creationDate = 0;
    std::uint32_t modificationDate = 0;
    std::uint32_t lastBackupDate = 0;
    std::uint32_t modificationNumber = 0;
    std::uint32_t appInfoID = 0;
    std::uint32_t sortInfoID = 0;
    std::uint32_t type = 0;
    std::uint32_t creator = 0;
    std::uint32_t uniqueIDSeed = 0;
    std::uint32_t nextRecordListID = 0;
    std::uint16_t numRecords = 0;
};

// One entry of the record list or the resource list, as read from the file.
struct RecordListEntry {
    std::uint32_t offset = 0;
    std::uint8_t attributes = 0;
    std::uint32_t uniqueID = 0;
};
struct ResourceListEntry {
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::uint32_t offset = 0;
};

// A database's file image as the pieces it is written from, in order: the header, list and gap
// (held in head), then the info blocks and the records' bytes, which stay where the database
// holds them. Valid while the database is unchanged.
struct PalmDbImage {
    std::vector<std::uint8_t> head;
    std::vector<std::span<const std::uint8_t>> pieces;
};

class CPalmDb : public CRecordSet {
public:
    static constexpr std::size_t kHeaderSize = 78;
    static constexpr std::size_t kRecordEntrySize = 8;
    static constexpr std::size_t kResourceEntrySize = 10;
    static constexpr std::size_t kGapSize = 2;
    static constexpr std::uint32_t kInfoCapacity = 65520;
    // The record count is a 16-bit field.
    static constexpr std::uint32_t kMaxRecords = 65535;

    // Database attribute bits.
    static constexpr std::uint16_t kAttrResource = 0x0001;
    static constexpr std::uint16_t kAttrBackup = 0x0008;
    static constexpr std::uint16_t kAttrOkToInstallNewer = 0x0010;
    static constexpr std::uint16_t kAttrResetAfterInstall = 0x0020;

    // Record attribute bits in the file.
    static constexpr std::uint8_t kRecAttrDelete = 0x80;
    static constexpr std::uint8_t kRecAttrDirty = 0x40;
    static constexpr std::uint8_t kRecAttrSecret = 0x10;
    static constexpr std::uint8_t kRecAttrCategory = 0x0F;

    CPalmDb() = default;

    // Empties the database: records, lists, info blocks, header and changed flag.
    void Reset();

    // Reads the whole database from file. Returns kDbFileEmpty for an empty file and kDbOutOfMemory
    // when memory runs out part-way; the database then holds only part of the file and must not be
    // written back. Info blocks are kept whole whatever their length. A file that ends early, or
    // whose list puts a part before the end of the list, before the part ahead of it or past the
    // end of the file, raises "File IO read error" (a CException thrown by pointer); the records
    // read so far stay.
    // With Hold::Map the records refer to the file mapped read-only (win::MappedFile) instead of
    // a copy in memory, where the file can be mapped (else it is read as with Hold::Copy): for a
    // command that writes them elsewhere before it ends, never for a document kept open.
    enum class Hold { Copy, Map };
    std::int32_t Read(CFile& file, Hold hold = Hold::Copy);
    // The same over bytes already in memory; the records get a copy of them.
    std::int32_t ReadFromBytes(std::span<const std::uint8_t> bytes);
    // The same over bytes that owner keeps alive: the records refer to them without copying
    // (CDbRecord::ShareData), so owner lives as long as any record read from it does.
    std::int32_t ReadFromBytes(std::shared_ptr<const void> owner, std::span<const std::uint8_t> bytes);
    // Reads the header and the list from the first bytes of a file of fileLength bytes (at least
    // the header, the list and the two-byte gap) and checks the place of every part as Read does,
    // without the parts: the database then holds no records and no info blocks. For telling what
    // a file is without reading all of it.
    std::int32_t ReadLayout(std::span<const std::uint8_t> start, std::uint64_t fileLength);

    // Writes the database to file: the header as held, then the list, gap, info blocks (record
    // databases only) and records of the non-empty slots. The whole image is built before the
    // first byte is written, so kDbOutOfMemory and kDbTooManyRecords (more than 65,535 records)
    // leave the file untouched. File errors raise CFileException.
    std::int32_t Write(CFile& file);
    // The bytes Write writes, or the reason there are none (kDbOutOfMemory, kDbTooManyRecords).
    std::int32_t BuildImage(std::vector<std::uint8_t>& image) const;
    // The same as the pieces they are written from (see PalmDbImage), without copying the records.
    std::int32_t BuildImage(PalmDbImage& image) const;
    // The bytes Write writes, without the record-count check; std::bad_alloc when memory runs out.
    std::vector<std::uint8_t> ToBytes() const;

    // Sets numRecords to the live count and appInfoID / sortInfoID to where Write places the
    // blocks (0 for an absent block), so that the header matches what Write lays out.
    void SetLayoutFields();

    PalmDbHeader& Header() { return header_; }
    const PalmDbHeader& Header() const { return header_; }
    bool IsResourceDb() const { return (header_.attributes & kAttrResource) != 0; }
    std::string GetName() const;
    // Stores at most 31 bytes of name, zero-filled.
    void SetName(std::string_view name);

    const std::vector<RecordListEntry>& RecordList() const { return recordList_; }
    const std::vector<ResourceListEntry>& ResourceList() const { return resourceList_; }
    std::uint64_t FileLength() const { return fileLength_; }

    // Application-info block. kDbAppInfoTooLarge past 65,520 bytes, kDbNullArgument for a null
    // source or destination, kDbBufferTooSmall (with the needed length) for a short buffer.
    std::int32_t SetAppInfo(std::uint32_t size, const std::uint8_t* bytes);
    std::int32_t GetAppInfo(std::uint8_t* buffer, std::uint32_t* length) const;
    std::uint32_t AppInfoLength() const { return static_cast<std::uint32_t>(appInfo_.size()); }
    std::span<const std::uint8_t> AppInfo() const { return appInfo_; }

    // Sort-info block, alike.
    std::int32_t SetSortInfo(std::uint32_t size, const std::uint8_t* bytes);
    std::int32_t GetSortInfo(std::uint8_t* buffer, std::uint32_t* length) const;
    std::uint32_t SortInfoLength() const { return static_cast<std::uint32_t>(sortInfo_.size()); }
    std::span<const std::uint8_t> SortInfo() const { return sortInfo_; }

private:
    std::size_t ListEntrySize() const { return IsResourceDb() ? kResourceEntrySize : kRecordEntrySize; }
    // The pieces of the image, whatever the record count; std::bad_alloc when memory runs out.
    void LayImage(PalmDbImage& image) const;
    // Reads a file of fileLength bytes whose first bytes are bytes; the records share them
    // through owner, or, without one, only the layout is read.
    std::int32_t readFile(const std::shared_ptr<const void>* owner, std::span<const std::uint8_t> bytes,
                          std::uint64_t fileLength);

    PalmDbHeader header_;
    std::vector<RecordListEntry> recordList_;
    std::vector<ResourceListEntry> resourceList_;
    std::uint64_t fileLength_ = 0;
    std::vector<std::uint8_t> appInfo_;
    std::vector<std::uint8_t> sortInfo_;
};

// The header fields of a database file's first bytes.
PalmDbHeader ParsePalmDbHeader(std::span<const std::uint8_t, CPalmDb::kHeaderSize> bytes);

// Reads the header and list of the database file at path into db (CPalmDb::ReadLayout), and no
// more of the file: whether the file is a Palm database is told without reading it whole. False
// when the file cannot be read, is empty or its list does not describe it; std::bad_alloc when
// memory runs out.
bool ReadDatabaseLayout(const std::string& path, CPalmDb& db);

}  // namespace qz_gen
