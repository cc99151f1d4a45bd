// SwapBytes.h: byte reversal between the handheld's big-endian order and the host's. The same
// call converts both ways; one-byte values pass unchanged.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

template <typename T>
void swapBytes(T& value) {
    static_assert(std::is_trivially_copyable_v<T> && (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4));
    if constexpr (sizeof(T) > 1) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        std::reverse(bytes, bytes + sizeof(T));
        std::memcpy(&value, bytes, sizeof(T));
    }
}
