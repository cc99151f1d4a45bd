// DbRecord.cpp: record data handling and comparison.
#include "DbRecord.h"

#include "AllocationFaults.h"
#include "DbResult.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qz_gen {

void CDbRecord::Reset() { *this = CDbRecord(); }

int CDbRecord::Compare(const CDbRecord& other) const {
    const auto mine = Bytes(), theirs = other.Bytes();
    if (mine.size() != theirs.size()) return kLengthDiffers;
    if (!std::equal(mine.begin(), mine.end(), theirs.begin())) return kBytesDiffer;
    if (category_ != other.category_) return kCategoryDiffers;
    if (private_ != other.private_) return kPrivateDiffers;
    return kSame;
}

std::int32_t CDbRecord::SetData(std::uint32_t size, const std::uint8_t* bytes) {
    try {
        AllocationPoint();
        // bytes may point into the shared buffer: copied before the share is let go.
        std::vector<std::uint8_t> copy;
        if (bytes == nullptr) copy.assign(size, 0);
        else copy.assign(bytes, bytes + size);
        AdoptData(std::move(copy));
    } catch (const std::bad_alloc&) {
        return kDbOutOfMemory;
    }
    return kDbOk;
}

std::int32_t CDbRecord::SetDataOf(const CDbRecord& other) {
    if (other.owner_) {
        ShareData(other.owner_, other.shared_);
        return kDbOk;
    }
    return SetData(other.GetLength(), other.GetData());
}

std::int32_t CDbRecord::CopyData(std::uint8_t* buffer, std::uint32_t* length) const {
    if (length == nullptr) return kDbNullArgument;
    if (buffer == nullptr) return kDbNullDestination;
    const auto needed = GetLength();
    if (*length < needed) {
        *length = needed;
        return kDbBufferTooSmall;
    }
    if (needed != 0) std::memcpy(buffer, GetData(), needed);
    *length = needed;
    return kDbOk;
}

}  // namespace qz_gen
