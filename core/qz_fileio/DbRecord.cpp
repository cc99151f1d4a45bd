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
    if (data_.size() != other.data_.size()) return kLengthDiffers;
    if (data_ != other.data_) return kBytesDiffer;
    if (category_ != other.category_) return kCategoryDiffers;
    if (private_ != other.private_) return kPrivateDiffers;
    return kSame;
}

std::int32_t CDbRecord::SetData(std::uint32_t size, const std::uint8_t* bytes) {
    try {
        AllocationPoint();
        if (bytes == nullptr) data_.assign(size, 0);
        else data_.assign(bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        return kDbOutOfMemory;
    }
    return kDbOk;
}

std::int32_t CDbRecord::CopyData(std::uint8_t* buffer, std::uint32_t* length) const {
    if (length == nullptr) return kDbNullArgument;
    if (buffer == nullptr) return kDbNullDestination;
    const auto needed = GetLength();
    if (*length < needed) {
        *length = needed;
        return kDbBufferTooSmall;
    }
    if (needed != 0) std::memcpy(buffer, data_.data(), needed);
    *length = needed;
    return kDbOk;
}

}  // namespace qz_gen
