// MessageBoxStyle.h: the converter's rule for the icon of a message box: a plain OK, OK/Cancel,
// Yes/No/Cancel or Yes/No box without an icon of its own gets the exclamation mark.
#pragma once

#include "platform/win/MessageBoxTypes.h"

#include <cstdint>

inline std::uint32_t WithConverterIcon(std::uint32_t type) {
    if ((type & win::MB_ICONMASK) != 0) return type;
    switch (type & win::MB_TYPEMASK) {
    case win::MB_OK:
    case win::MB_OKCANCEL:
    case win::MB_YESNOCANCEL:
    case win::MB_YESNO: return type | win::MB_ICONEXCLAMATION;
    default: return type;
    }
}
