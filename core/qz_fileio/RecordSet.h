// RecordSet.h: CRecordSet, an array of owned records with stable slots. Removing a record leaves
// its slot empty; the next record added takes the first empty slot.
#pragma once

#include "DbRecord.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace qz_gen {

class CRecordSet {
public:
    static constexpr std::uint32_t kGrowBy = 2000;

    // Orders of Reorder.
    enum ReorderMode : int {
        kByUniqueID = 1,
        kFlaggedFirst = 2,
        kSecondaryFlaggedFirst = 3,
        kByCategory = 4,
        kByCategoryToo = 5,
    };

    CRecordSet() = default;
    virtual ~CRecordSet() = default;
    CRecordSet(const CRecordSet&) = delete;
    CRecordSet& operator=(const CRecordSet&) = delete;

    // Stores a copy of record in the first empty slot (growing the array when full) and sets the
    // index of both the copy and record to that slot.
    std::int32_t AddRecord(CDbRecord& record);
    // As AddRecord, with the copy's flag bits and secondary flags cleared.
    std::int32_t AddRecordClearFlags(CDbRecord& record);
    // As AddRecord, taking the record over without copying its data.
    std::int32_t AdoptRecord(std::unique_ptr<CDbRecord> record);
    std::int32_t RemoveRecordAt(std::uint32_t slot);
    // kDbRemoveNotFound for a null record or one this set does not hold.
    std::int32_t RemoveRecord(const CDbRecord* record);
    std::int32_t RemoveRecordByUniqueID(std::uint32_t uniqueID);
    // Slot of the record with uniqueID, or -1.
    std::int32_t SlotOfUniqueID(std::uint32_t uniqueID) const;
    std::int32_t CopyRecordByUniqueID(std::uint32_t uniqueID, CDbRecord& out) const;
    // The n-th present record, counting from 0 over non-empty slots.
    std::int32_t CopyNthRecord(std::uint32_t n, CDbRecord& out) const;
    // The resource with type (held in the unique ID field) and resourceID.
    std::int32_t CopyRecordByResourceID(std::uint32_t type, std::uint32_t resourceID,
                                        CDbRecord& out) const;
    // Packs the present records into slots 0 .. count-1 in the order mode gives (stable).
    std::int32_t Reorder(int mode);
    // Packs the present records in the order of uniqueIDs, which must name each exactly once.
    std::int32_t ReorderByUniqueIDs(std::span<const std::uint32_t> uniqueIDs);
    void DeleteAllRecords();

    // The record in slot, or null for an empty slot or one past the capacity.
    CDbRecord* RecordAt(std::uint32_t slot);
    const CDbRecord* RecordAt(std::uint32_t slot) const;
    std::uint32_t Capacity() const { return static_cast<std::uint32_t>(slots_.size()); }
    std::uint32_t LiveCount() const { return liveCount_; }
    // One past the highest slot ever filled.
    std::uint32_t UsedLength() const { return usedLength_; }
    bool IsChanged() const { return changed_; }
    // After the records have been written out.
    void ClearChanged() { changed_ = false; }

protected:
    std::int32_t Grow();
    std::int32_t StoreInFirstFreeSlot(std::unique_ptr<CDbRecord> record);
    void PlaceInOrder(std::vector<std::unique_ptr<CDbRecord>> records);

    std::vector<std::unique_ptr<CDbRecord>> slots_;
    std::uint32_t liveCount_ = 0;
    std::uint32_t usedLength_ = 0;
    std::uint32_t firstFree_ = 0;  // no empty slot lies below it
    bool changed_ = false;
};

}  // namespace qz_gen
