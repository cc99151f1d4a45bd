// DbResult.cpp: descriptions of the container's result codes.
#include "DbResult.h"

namespace qz_gen {

const char* DbResultText(std::int32_t code) {
    switch (code) {
    case kDbOk: return "success";
    case kDbBufferTooSmall: return "the buffer is too small";
    case kDbOutOfMemory: return "out of memory";
    case kDbNullDestination: return "no destination buffer for the record data";
    case kDbAppInfoTooLarge: return "the application-info block is larger than its buffer";
    case kDbNullArgument: return "a required argument is missing";
    case kDbUnknownIterationMode: return "unrecognised iteration mode";
    case kDbNotSupported: return "not supported by this kind of database";
    case kDbRecordNotFound: return "record not found";
    case kDbRemoveNotFound: return "the record to remove is not in the database";
    case kDbFileEmpty: return "the file is empty";
    case kDbNoInfoBlock: return "no application-info or sort-info block present";
    case kDbOrderUnknownID: return "the new record order names an unknown unique ID";
    case kDbOrderWrongCount: return "the new record order has the wrong number of entries";
    case kDbTooManyRecords: return "more than 65,535 records";
    default: return "unknown database error";
    }
}

}  // namespace qz_gen
