// DbResult.h: the result codes of the Palm database container (0 is success).
#pragma once

#include <cstdint>

namespace qz_gen {

enum DbResult : std::int32_t {
    kDbOk = 0,
    kDbBufferTooSmall = 4353,     // the caller's buffer is too small; the needed length is returned
    kDbOutOfMemory = 4354,
    kDbNullDestination = 4355,    // null destination buffer for record data
    kDbAppInfoTooLarge = 4356,    // info block larger than its 65,520-byte buffer
    kDbNullArgument = 4361,
    kDbUnknownIterationMode = 4363,
    kDbNotSupported = 4364,       // not supported by this database kind
    kDbRecordNotFound = 4367,
    kDbRemoveNotFound = 4374,
    kDbFileEmpty = 4378,
    kDbNoInfoBlock = 4385,
    kDbOrderUnknownID = 4391,     // a new record order names a unique ID that no record has
    kDbOrderWrongCount = 4392,    // a new record order has the wrong number of entries
    kDbTooManyRecords = 4393,     // more than the 65,535 records a file's count can hold
};

}  // namespace qz_gen

namespace qz_gen {

// A short English description of a result code, for messages.
const char* DbResultText(std::int32_t code);

}  // namespace qz_gen
