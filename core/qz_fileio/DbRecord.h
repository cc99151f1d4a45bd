// DbRecord.h: CDbRecord, one record (or resource) of a Palm database held in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace qz_gen {

class CDbRecord {
public:
    static constexpr std::uint32_t kUnassigned = 0xFFFFFFFF;

    // Bits of the flags field.
    enum Flags : std::uint32_t {
        kFlagDeleted = 1,
        kFlagArchived = 2,  // marked for deletion but still holding data
        kFlagDirty = 4,
        kFlagNew = 8,       // ID assigned at the last save; never written to the file
    };

    // Results of Compare.
    enum Difference : int {
        kSame = 0,
        kLengthDiffers = 1,
        kBytesDiffer = 2,
        kCategoryDiffers = 3,
        kPrivateDiffers = 4,
    };

    CDbRecord() = default;
    virtual ~CDbRecord() = default;
    CDbRecord(const CDbRecord&) = default;
    CDbRecord& operator=(const CDbRecord&) = default;

    // Frees the data; IDs and index become unassigned, everything else 0.
    void Reset();
    int Compare(const CDbRecord& other) const;
    // Copies size bytes from bytes (null means zeros). kDbOutOfMemory when memory runs out.
    std::int32_t SetData(std::uint32_t size, const std::uint8_t* bytes);
    const std::uint8_t* GetData() const { return Bytes().data(); }
    // The data of other: shared where other shares it, copied otherwise. kDbOutOfMemory when
    // memory runs out.
    std::int32_t SetDataOf(const CDbRecord& other);
    // Copies the data into buffer of *length bytes and sets *length to the data's length.
    // kDbNullDestination for a null buffer, kDbBufferTooSmall (with the needed length) when short.
    std::int32_t CopyData(std::uint8_t* buffer, std::uint32_t* length) const;
    std::uint32_t GetLength() const { return static_cast<std::uint32_t>(Bytes().size()); }

    std::span<const std::uint8_t> Bytes() const { return owner_ ? shared_ : std::span<const std::uint8_t>(data_); }
    // Takes the bytes over without copying.
    void AdoptData(std::vector<std::uint8_t> bytes) {
        data_ = std::move(bytes);
        owner_.reset();
    }
    // Refers to bytes of a buffer that owner keeps alive (the file a database was read from)
    // instead of copying them; copies of the record share them too. Any later change of the
    // data gives the record bytes of its own.
    void ShareData(std::shared_ptr<const void> owner, std::span<const std::uint8_t> bytes) {
        data_.clear();
        owner_ = std::move(owner);
        shared_ = bytes;
    }

    std::uint32_t GetFlags() const { return flags_; }
    void SetFlags(std::uint32_t flags) { flags_ = flags; }
    bool HasFlag(std::uint32_t flag) const { return (flags_ & flag) != 0; }
    void SetFlag(std::uint32_t flag, bool on) { flags_ = on ? (flags_ | flag) : (flags_ & ~flag); }
    std::uint32_t GetUniqueID() const { return uniqueID_; }
    void SetUniqueID(std::uint32_t id) { uniqueID_ = id; }
    std::uint32_t GetIndex() const { return index_; }
    void SetIndex(std::uint32_t index) { index_ = index; }
    std::uint32_t GetCategory() const { return category_; }
    void SetCategory(std::uint32_t category) { category_ = category & 0x0F; }
    bool IsPrivate() const { return private_ != 0; }
    void SetPrivate(bool on) { private_ = on ? 1 : 0; }
    std::uint32_t GetSecondaryValue() const { return secondaryValue_; }
    void SetSecondaryValue(std::uint32_t v) { secondaryValue_ = v; }
    std::uint32_t GetSecondaryFlags() const { return secondaryFlags_; }
    void SetSecondaryFlags(std::uint32_t v) { secondaryFlags_ = v; }
    // For a resource, the unique ID field holds the resource type.
    std::uint32_t GetResourceID() const { return resourceID_; }
    void SetResourceID(std::uint32_t id) { resourceID_ = id; }

private:
    std::uint32_t uniqueID_ = kUnassigned;
    std::uint32_t index_ = kUnassigned;
    std::uint32_t category_ = 0;
    std::uint32_t flags_ = 0;
    std::vector<std::uint8_t> data_;
    std::shared_ptr<const void> owner_;  // set while the data is shared_
    std::span<const std::uint8_t> shared_;
    std::uint32_t secondaryValue_ = 0;
    std::uint32_t secondaryFlags_ = 0;
    std::uint32_t private_ = 0;
    std::uint32_t resourceID_ = kUnassigned;
};

}  // namespace qz_gen
