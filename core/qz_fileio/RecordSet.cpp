// RecordSet.cpp: slot management, lookups and reordering of records.
#include "RecordSet.h"

#include "AllocationFaults.h"
#include "DbResult.h"

#include <algorithm>
#include <functional>
#include <new>

namespace qz_gen {

std::int32_t CRecordSet::Grow() {
    try {
        AllocationPoint();
        slots_.resize(slots_.size() + kGrowBy);
    } catch (const std::bad_alloc&) {
        return kDbOutOfMemory;
    }
    return kDbOk;
}

std::int32_t CRecordSet::StoreInFirstFreeSlot(std::unique_ptr<CDbRecord> record) {
    // Every slot below firstFree_ is taken, so the search starts there.
    auto free = std::find(slots_.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(firstFree_, slots_.size())),
                          slots_.end(), nullptr);
    if (free == slots_.end()) {
        const auto firstNew = slots_.size();
        if (const auto rc = Grow(); rc != kDbOk) return rc;
        free = slots_.begin() + static_cast<std::ptrdiff_t>(firstNew);
    }
    const auto slot = static_cast<std::uint32_t>(free - slots_.begin());
    record->SetIndex(slot);
    *free = std::move(record);
    firstFree_ = slot + 1;
    ++liveCount_;
    usedLength_ = std::max(usedLength_, slot + 1);
    return kDbOk;
}

std::int32_t CRecordSet::AddRecord(CDbRecord& record) {
    std::unique_ptr<CDbRecord> copy;
    try {
        AllocationPoint();
        copy = std::make_unique<CDbRecord>(record);
    } catch (const std::bad_alloc&) {
        return kDbOutOfMemory;
    }
    CDbRecord* stored = copy.get();
    const auto rc = StoreInFirstFreeSlot(std::move(copy));
    if (rc == kDbOk) record.SetIndex(stored->GetIndex());
    return rc;
}

std::int32_t CRecordSet::AddRecordClearFlags(CDbRecord& record) {
    // The flags are cleared on the one copy AddRecord stores, so the data is copied once.
    const auto rc = AddRecord(record);
    if (rc != kDbOk) return rc;
    CDbRecord* stored = RecordAt(record.GetIndex());
    stored->SetFlags(0);
    stored->SetSecondaryFlags(0);
    return rc;
}

std::int32_t CRecordSet::AdoptRecord(std::unique_ptr<CDbRecord> record) {
    if (!record) return kDbNullArgument;
    return StoreInFirstFreeSlot(std::move(record));
}

std::int32_t CRecordSet::RemoveRecordAt(std::uint32_t slot) {
    if (slot >= slots_.size() || !slots_[slot]) return kDbRemoveNotFound;
    slots_[slot].reset();
    firstFree_ = std::min(firstFree_, slot);
    --liveCount_;
    changed_ = true;
    return kDbOk;
}

std::int32_t CRecordSet::RemoveRecord(const CDbRecord* record) {
    if (record == nullptr) return kDbRemoveNotFound;
    const auto it = std::find_if(slots_.begin(), slots_.end(),
                                 [record](const auto& held) { return held.get() == record; });
    if (it == slots_.end()) return kDbRemoveNotFound;
    return RemoveRecordAt(static_cast<std::uint32_t>(it - slots_.begin()));
}

std::int32_t CRecordSet::RemoveRecordByUniqueID(std::uint32_t uniqueID) {
    const auto slot = SlotOfUniqueID(uniqueID);
    if (slot < 0) return kDbRemoveNotFound;
    return RemoveRecordAt(static_cast<std::uint32_t>(slot));
}

std::int32_t CRecordSet::SlotOfUniqueID(std::uint32_t uniqueID) const {
    for (std::uint32_t slot = 0; slot < usedLength_; ++slot)
        if (slots_[slot] && slots_[slot]->GetUniqueID() == uniqueID) return static_cast<std::int32_t>(slot);
    return -1;
}

std::int32_t CRecordSet::CopyRecordByUniqueID(std::uint32_t uniqueID, CDbRecord& out) const {
    const auto slot = SlotOfUniqueID(uniqueID);
    if (slot < 0) return kDbRecordNotFound;
    out = *slots_[static_cast<std::size_t>(slot)];
    return kDbOk;
}

std::int32_t CRecordSet::CopyNthRecord(std::uint32_t n, CDbRecord& out) const {
    for (std::uint32_t slot = 0; slot < usedLength_; ++slot) {
        if (!slots_[slot]) continue;
        if (n-- == 0) {
            out = *slots_[slot];
            return kDbOk;
        }
    }
    return kDbRecordNotFound;
}

std::int32_t CRecordSet::CopyRecordByResourceID(std::uint32_t type, std::uint32_t resourceID,
                                                CDbRecord& out) const {
    for (std::uint32_t slot = 0; slot < usedLength_; ++slot) {
        const auto& r = slots_[slot];
        if (r && r->GetUniqueID() == type && r->GetResourceID() == resourceID) {
            out = *r;
            return kDbOk;
        }
    }
    return kDbRecordNotFound;
}

void CRecordSet::PlaceInOrder(std::vector<std::unique_ptr<CDbRecord>> records) {
    for (auto& slot : slots_) slot.reset();
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i]->SetIndex(static_cast<std::uint32_t>(i));
        slots_[i] = std::move(records[i]);
    }
    usedLength_ = static_cast<std::uint32_t>(records.size());
    firstFree_ = usedLength_;
    changed_ = true;
}

std::int32_t CRecordSet::Reorder(int mode) {
    using Record = std::unique_ptr<CDbRecord>;
    std::function<bool(const Record&, const Record&)> before;
    switch (mode) {
    case kByUniqueID:
        before = [](const Record& a, const Record& b) { return a->GetUniqueID() < b->GetUniqueID(); };
        break;
    case kFlaggedFirst:
        before = [](const Record& a, const Record& b) { return a->GetFlags() != 0 && b->GetFlags() == 0; };
        break;
    case kSecondaryFlaggedFirst:
        before = [](const Record& a, const Record& b) {
            return (a->GetSecondaryFlags() & 1) != 0 && (b->GetSecondaryFlags() & 1) == 0;
        };
        break;
    case kByCategory:
    case kByCategoryToo:
        before = [](const Record& a, const Record& b) { return a->GetCategory() < b->GetCategory(); };
        break;
    default: return kDbUnknownIterationMode;
    }
    std::vector<Record> present;
    for (auto& slot : slots_)
        if (slot) present.push_back(std::move(slot));
    std::stable_sort(present.begin(), present.end(), before);
    PlaceInOrder(std::move(present));
    return kDbOk;
}

std::int32_t CRecordSet::ReorderByUniqueIDs(std::span<const std::uint32_t> uniqueIDs) {
    if (uniqueIDs.size() != liveCount_) return kDbOrderWrongCount;
    std::vector<std::int32_t> order;
    order.reserve(uniqueIDs.size());
    for (const auto id : uniqueIDs) {
        const auto slot = SlotOfUniqueID(id);
        if (slot < 0 || std::find(order.begin(), order.end(), slot) != order.end()) return kDbOrderUnknownID;
        order.push_back(slot);
    }
    std::vector<std::unique_ptr<CDbRecord>> present;
    for (const auto slot : order) present.push_back(std::move(slots_[static_cast<std::size_t>(slot)]));
    PlaceInOrder(std::move(present));
    return kDbOk;
}

void CRecordSet::DeleteAllRecords() {
    slots_.clear();
    firstFree_ = 0;
    liveCount_ = 0;
    usedLength_ = 0;
}

CDbRecord* CRecordSet::RecordAt(std::uint32_t slot) {
    return slot < slots_.size() ? slots_[slot].get() : nullptr;
}

const CDbRecord* CRecordSet::RecordAt(std::uint32_t slot) const {
    return slot < slots_.size() ? slots_[slot].get() : nullptr;
}

}  // namespace qz_gen
