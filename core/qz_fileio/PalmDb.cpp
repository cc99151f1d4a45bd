// PalmDb.cpp: reading and writing the Palm database file layout.
#include "PalmDb.h"

#include "AllocationFaults.h"
#include "DbResult.h"
#include "Exception.h"
#include "File.h"
#include "StringTable.h"
#include "platform/bytes/ByteReader.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/MappedFile.h"
#include "platform/win/WholeFile.h"

#include <algorithm>
#include <filesystem>
#include <cstring>
#include <memory>
#include <new>
#include <sys/stat.h>

namespace qz_gen {

using bytes::ByteReader;
using bytes::loadU16BE;
using bytes::loadU24BE;
using bytes::loadU32BE;
using bytes::storeU16BE;
using bytes::storeU24BE;
using bytes::storeU32BE;

namespace {
[[noreturn]] void throwReadError() { ThrowException(kStrReadError, kCodeReadError); }
}  // namespace

PalmDbHeader ParsePalmDbHeader(std::span<const std::uint8_t, CPalmDb::kHeaderSize> b) {
    PalmDbHeader h;
    std::copy_n(b.begin(), h.name.size(), h.name.begin());
    const std::uint8_t* p = b.data();
    h.attributes = loadU16BE(p + 32);
    h.version = loadU16BE(p + 34);
    h.creationDate = loadU32BE(p + 36);
    h.modificationDate = loadU32BE(p + 40);
    h.lastBackupDate = loadU32BE(p + 44);
    h.modificationNumber = loadU32BE(p + 48);
    h.appInfoID = loadU32BE(p + 52);
    h.sortInfoID = loadU32BE(p + 56);
    h.type = loadU32BE(p + 60);
    h.creator = loadU32BE(p + 64);
    h.uniqueIDSeed = loadU32BE(p + 68);
    h.nextRecordListID = loadU32BE(p + 72);
    h.numRecords = loadU16BE(p + 76);
    return h;
}

namespace {
void storeHeader(const PalmDbHeader& h, std::uint8_t* p) {
    std::copy(h.name.begin(), h.name.end(), p);
    storeU16BE(p + 32, h.attributes);
    storeU16BE(p + 34, h.version);
    storeU32BE(p + 36, h.creationDate);
    storeU32BE(p + 40, h.modificationDate);
    storeU32BE(p + 44, h.lastBackupDate);
    storeU32BE(p + 48, h.modificationNumber);
    storeU32BE(p + 52, h.appInfoID);
    storeU32BE(p + 56, h.sortInfoID);
    storeU32BE(p + 60, h.type);
    storeU32BE(p + 64, h.creator);
    storeU32BE(p + 68, h.uniqueIDSeed);
    storeU32BE(p + 72, h.nextRecordListID);
    storeU16BE(p + 76, h.numRecords);
}

// Checks that the part [start, end) lies between floor and the end of a file of fileLength bytes;
// a part out of place means the list does not describe this file.
void checkPlace(std::uint64_t fileLength, std::uint64_t floor, std::uint64_t start, std::uint64_t end) {
    if (start < floor || end < start || end > fileLength) throwReadError();
}

// One record per list entry, holding the bytes from its offset to the next entry's (the last one's
// to the end of the file) as a view into the file's buffer; describe fills in what the entry says
// of it. Without an owner only the places are checked and no record is made.
template <typename Entry, typename Describe, typename Add>
void readParts(const std::shared_ptr<const void>* owner, std::span<const std::uint8_t> file, std::uint64_t fileLength,
               std::uint64_t floor, const std::vector<Entry>& list, Describe describe, Add add) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::uint64_t end = i + 1 < list.size() ? list[i + 1].offset : fileLength;
        checkPlace(fileLength, floor, list[i].offset, end);
        floor = list[i].offset;
        if (owner == nullptr) continue;
        AllocationPoint();
        auto record = std::make_unique<CDbRecord>();
        record->ShareData(*owner, file.subspan(static_cast<std::size_t>(list[i].offset),
                                               static_cast<std::size_t>(end - list[i].offset)));
        describe(list[i], *record);
        add(std::move(record));
    }
}

std::int32_t copyOut(const std::vector<std::uint8_t>& block, std::uint8_t* buffer, std::uint32_t* length) {
    if (buffer == nullptr || length == nullptr) return kDbNullArgument;
    if (block.empty()) return kDbNoInfoBlock;
    if (*length < block.size()) {
        *length = static_cast<std::uint32_t>(block.size());
        return kDbBufferTooSmall;
    }
    std::memcpy(buffer, block.data(), block.size());
    *length = static_cast<std::uint32_t>(block.size());
    return kDbOk;
}

std::int32_t copyIn(std::uint32_t size, const std::uint8_t* bytes, std::vector<std::uint8_t>& block) {
    if (bytes == nullptr) return kDbNullArgument;
    if (size > CPalmDb::kInfoCapacity) return kDbAppInfoTooLarge;
    try {
        AllocationPoint();
        block.assign(bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        return kDbOutOfMemory;
    }
    return kDbOk;
}

std::uint8_t fileAttributesOf(const CDbRecord& r) {
    std::uint8_t attributes = static_cast<std::uint8_t>(r.GetCategory() & CPalmDb::kRecAttrCategory);
    if (r.HasFlag(CDbRecord::kFlagDirty)) attributes |= CPalmDb::kRecAttrDirty;
    if (r.HasFlag(CDbRecord::kFlagArchived | CDbRecord::kFlagDeleted)) attributes |= CPalmDb::kRecAttrDelete;
    if (r.IsPrivate()) attributes |= CPalmDb::kRecAttrSecret;
    return attributes;
}
}  // namespace

void CPalmDb::Reset() {
    DeleteAllRecords();
    recordList_.clear();
    resourceList_.clear();
    appInfo_.clear();
    sortInfo_.clear();
    header_ = PalmDbHeader();
    fileLength_ = 0;
    changed_ = false;
}

std::string CPalmDb::GetName() const {
    const auto end = std::find(header_.name.begin(), header_.name.end(), 0);
    return std::string(header_.name.begin(), end);
}

void CPalmDb::SetName(std::string_view name) {
    header_.name.fill(0);
    std::copy_n(name.begin(), std::min(name.size(), header_.name.size() - 1), header_.name.begin());
}

std::int32_t CPalmDb::Read(CFile& file, Hold hold) {
    Reset();
    const std::int64_t length = file.GetLength();
    if (length == 0) return kDbFileEmpty;
    if (hold == Hold::Map) {
        // Mapped through a descriptor of its own, so that the lock file holds ends with it; used
        // only while it is the file file has open, whole.
        std::shared_ptr<const win::MappedFile> mapped;
        try {
            mapped = win::MappedFile::Open(file.GetFilePath());
        } catch (const std::bad_alloc&) {
            return kDbOutOfMemory;
        }
        struct stat held {};
        if (mapped && ::fstat(file.GetHandle(), &held) == 0 && held.st_dev == mapped->Status().st_dev &&
            held.st_ino == mapped->Status().st_ino && static_cast<std::int64_t>(mapped->Bytes().size()) == length)
            return ReadFromBytes(mapped, mapped->Bytes());
    }
    // The file is read whole into memory that is not cleared first (the read fills all of it)
    // and that the records then share.
    std::shared_ptr<std::uint8_t[]> bytes;
    const auto size = static_cast<std::size_t>(length);
    try {
        AllocationPoint();
        bytes = win::AllocateFileBuffer(size);
    } catch (const std::bad_alloc&) {
        return kDbOutOfMemory;
    }
    constexpr std::size_t kChunk = std::size_t(1) << 30;
    for (std::size_t done = 0; done < size; done += kChunk)
        file.Read(bytes.get() + done, static_cast<std::uint32_t>(std::min(kChunk, size - done)));
    return ReadFromBytes(bytes, {bytes.get(), size});
}

std::int32_t CPalmDb::ReadFromBytes(std::span<const std::uint8_t> bytes) {
    // bytes may lie in one of this database's own records: they are copied before Reset frees them.
    if (bytes.empty()) {
        Reset();
        return kDbFileEmpty;
    }
    std::shared_ptr<std::uint8_t[]> copy;
    try {
        AllocationPoint();
        copy.reset(new std::uint8_t[bytes.size()]);
    } catch (const std::bad_alloc&) {
        Reset();
        return kDbOutOfMemory;
    }
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return ReadFromBytes(copy, {copy.get(), bytes.size()});
}

std::int32_t CPalmDb::ReadFromBytes(std::shared_ptr<const void> owner, std::span<const std::uint8_t> bytes) {
    return readFile(&owner, bytes, bytes.size());
}

std::int32_t CPalmDb::ReadLayout(std::span<const std::uint8_t> start, std::uint64_t fileLength) {
    return readFile(nullptr, start, fileLength);
}

std::int32_t CPalmDb::readFile(const std::shared_ptr<const void>* owner, std::span<const std::uint8_t> bytes,
                               std::uint64_t fileLength) {
    Reset();
    fileLength_ = fileLength;
    if (fileLength == 0) return kDbFileEmpty;
    try {
        ByteReader reader(bytes);
        const auto headerBytes = reader.take(kHeaderSize);
        if (!headerBytes) throwReadError();
        header_ = ParsePalmDbHeader(headerBytes->first<kHeaderSize>());
        const std::size_t n = header_.numRecords;
        const auto list = reader.take(n * ListEntrySize());
        if (!list || !reader.skip(kGapSize)) throwReadError();
        // Parts may start right after the list: some writers leave out the two-byte gap.
        const std::uint64_t listEnd = kHeaderSize + n * ListEntrySize();
        const std::uint8_t* entry = list->data();
        // Growing the array is the only way adding can fail.
        const auto adopt = [this](std::unique_ptr<CDbRecord> record) {
            if (AdoptRecord(std::move(record)) != kDbOk) throw std::bad_alloc();
        };

        if (IsResourceDb()) {
            for (std::size_t i = 0; i < n; ++i, entry += kResourceEntrySize)
                resourceList_.push_back({loadU32BE(entry), loadU16BE(entry + 4), loadU32BE(entry + 6)});
            readParts(owner, bytes, fileLength, listEnd, resourceList_, [](const ResourceListEntry& e, CDbRecord& r) {
                r.SetUniqueID(e.type);
                r.SetResourceID(e.id);
            }, adopt);
            return kDbOk;
        }

        // Room for the whole list, and for the records in slots grown as adding grows them.
        recordList_.reserve(n);
        if (owner != nullptr) slots_.reserve((n + kGrowBy - 1) / kGrowBy * kGrowBy);
        for (std::size_t i = 0; i < n; ++i, entry += kRecordEntrySize)
            recordList_.push_back({loadU32BE(entry), entry[4], loadU24BE(entry + 5)});
        const std::uint64_t firstPart = n > 0 ? recordList_[0].offset : fileLength;
        std::uint64_t floor = listEnd;
        // An info block read from a file is kept whole, however long: other programs write blocks
        // past the 65,520 bytes SetAppInfo accepts, and refusing them would lose the records
        // behind them.
        const auto infoBlock = [&](std::uint64_t start, std::uint64_t end, std::vector<std::uint8_t>& into) {
            checkPlace(fileLength, floor, start, end);
            floor = start;
            if (owner == nullptr) return;
            AllocationPoint();
            into.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.begin() + static_cast<std::ptrdiff_t>(end));
        };
        if (header_.appInfoID != 0)
            infoBlock(header_.appInfoID, header_.sortInfoID != 0 ? header_.sortInfoID : firstPart, appInfo_);
        if (header_.sortInfoID != 0) infoBlock(header_.sortInfoID, firstPart, sortInfo_);
        readParts(owner, bytes, fileLength, floor, recordList_, [](const RecordListEntry& e, CDbRecord& r) {
            r.SetUniqueID(e.uniqueID);
            r.SetCategory(e.attributes & kRecAttrCategory);
            std::uint32_t flags = 0;
            if ((e.attributes & kRecAttrDirty) != 0) flags |= CDbRecord::kFlagDirty;
            if ((e.attributes & kRecAttrDelete) != 0)
                flags |= r.GetLength() == 0 ? CDbRecord::kFlagDeleted : CDbRecord::kFlagArchived;
            r.SetFlags(flags);
            r.SetPrivate((e.attributes & kRecAttrSecret) != 0);
        }, adopt);
    } catch (const std::bad_alloc&) {
        return kDbOutOfMemory;
    }
    return kDbOk;
}

void CPalmDb::SetLayoutFields() {
    header_.numRecords = static_cast<std::uint16_t>(LiveCount());
    header_.appInfoID = 0;
    header_.sortInfoID = 0;
    if (IsResourceDb()) return;
    const std::uint32_t blocks = static_cast<std::uint32_t>(kHeaderSize + kGapSize + LiveCount() * kRecordEntrySize);
    if (!appInfo_.empty()) header_.appInfoID = blocks;
    if (!sortInfo_.empty()) header_.sortInfoID = blocks + AppInfoLength();
}

void CPalmDb::LayImage(PalmDbImage& image) const {
    image = PalmDbImage();
    const bool resource = IsResourceDb();
    const std::size_t live = LiveCount();
    const std::size_t listBytes = live * ListEntrySize();
    std::size_t offset = kHeaderSize + kGapSize + listBytes;
    if (!resource) offset += appInfo_.size() + sortInfo_.size();
    AllocationPoint();
    image.head.assign(kHeaderSize + listBytes + kGapSize, 0);
    image.pieces.reserve(live + 3);
    storeHeader(header_, image.head.data());
    std::uint8_t* entry = image.head.data() + kHeaderSize;
    // Pieces that follow each other in memory (records read from one file, in their order) are
    // one piece, written with one call.
    const auto append = [&image](std::span<const std::uint8_t> piece) {
        if (piece.empty()) return;
        auto& last = image.pieces.back();
        if (last.data() + last.size() == piece.data()) last = {last.data(), last.size() + piece.size()};
        else image.pieces.push_back(piece);
    };
    image.pieces.push_back(image.head);
    if (!resource) {
        append(appInfo_);
        append(sortInfo_);
    }
    for (std::uint32_t slot = 0; slot < usedLength_; ++slot) {
        const auto* r = RecordAt(slot);
        if (!r) continue;
        if (resource) {
            storeU32BE(entry, r->GetUniqueID());
            storeU16BE(entry + 4, static_cast<std::uint16_t>(r->GetResourceID()));
            storeU32BE(entry + 6, static_cast<std::uint32_t>(offset));
            entry += kResourceEntrySize;
        } else {
            storeU32BE(entry, static_cast<std::uint32_t>(offset));
            entry[4] = fileAttributesOf(*r);
            storeU24BE(entry + 5, r->GetUniqueID() & 0xFFFFFF);
            entry += kRecordEntrySize;
        }
        offset += r->GetLength();
        append(r->Bytes());
    }
}

std::int32_t CPalmDb::BuildImage(PalmDbImage& image) const {
    if (LiveCount() > kMaxRecords) return kDbTooManyRecords;
    try {
        LayImage(image);
    } catch (const std::bad_alloc&) {
        return kDbOutOfMemory;
    }
    return kDbOk;
}

std::vector<std::uint8_t> CPalmDb::ToBytes() const {
    PalmDbImage image;
    LayImage(image);
    AllocationPoint();
    std::vector<std::uint8_t> out;
    out.reserve(win::TotalSize(image.pieces));
    for (const auto piece : image.pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

std::int32_t CPalmDb::BuildImage(std::vector<std::uint8_t>& image) const {
    if (LiveCount() > kMaxRecords) return kDbTooManyRecords;
    try {
        image = ToBytes();
    } catch (const std::bad_alloc&) {
        return kDbOutOfMemory;
    }
    return kDbOk;
}

std::int32_t CPalmDb::Write(CFile& file) {
    PalmDbImage image;
    if (const auto rc = BuildImage(image); rc != kDbOk) return rc;
    file.WriteParts(image.pieces);
    changed_ = false;
    return kDbOk;
}

std::int32_t CPalmDb::SetAppInfo(std::uint32_t size, const std::uint8_t* bytes) {
    const auto rc = copyIn(size, bytes, appInfo_);
    if (rc == kDbOk) changed_ = true;
    return rc;
}

std::int32_t CPalmDb::GetAppInfo(std::uint8_t* buffer, std::uint32_t* length) const {
    return copyOut(appInfo_, buffer, length);
}

std::int32_t CPalmDb::SetSortInfo(std::uint32_t size, const std::uint8_t* bytes) {
    const auto rc = copyIn(size, bytes, sortInfo_);
    if (rc == kDbOk) changed_ = true;
    return rc;
}

std::int32_t CPalmDb::GetSortInfo(std::uint8_t* buffer, std::uint32_t* length) const {
    return copyOut(sortInfo_, buffer, length);
}

bool ReadDatabaseLayout(const std::string& path, CPalmDb& db) {
    std::error_code ec;
    const auto length = std::filesystem::file_size(path, ec);
    if (ec || length == 0) return false;
    // One read takes the header and a list of a few hundred entries; a longer list is read again
    // to its end, so that a file is not read past its list.
    constexpr std::size_t kFirstRead = 4096;
    auto start = win::ReadFileStart(path, static_cast<std::size_t>(std::min<std::uintmax_t>(length, kFirstRead)));
    if (!start) return false;
    if (start->size() >= CPalmDb::kHeaderSize) {
        const bool resource = (loadU16BE(start->data() + 32) & CPalmDb::kAttrResource) != 0;
        const std::size_t needed = CPalmDb::kHeaderSize + loadU16BE(start->data() + 76) *
                                   (resource ? CPalmDb::kResourceEntrySize : CPalmDb::kRecordEntrySize) + CPalmDb::kGapSize;
        if (needed > start->size() && length > start->size()) {
            start = win::ReadFileStart(path, static_cast<std::size_t>(std::min<std::uintmax_t>(length, needed)));
            if (!start) return false;
        }
    }
    try {
        return db.ReadLayout(*start, length) == kDbOk;
    } catch (CException* caught) {
        std::unique_ptr<CException> e(caught);
        return false;
    }
}

}  // namespace qz_gen
