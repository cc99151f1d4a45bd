// DlpProtocol.cpp: names of commands and errors, and the argument wrappers.
#include "palmdesk/dlp/DlpProtocol.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <array>
#include <utility>

namespace palmdesk::dlp {

namespace {

constexpr std::uint8_t kSmallFlag = 0x80;
constexpr std::uint8_t kLongFlag = 0x40;

constexpr std::array<const char*, 0x3B - 0x10> kCommandNames = {
    "ReadUserInfo", "WriteUserInfo", "ReadSysInfo", "GetSysDateTime", "SetSysDateTime", "ReadStorageInfo",
    "ReadDBList", "OpenDB", "CreateDB", "CloseDB", "DeleteDB", "ReadAppBlock", "WriteAppBlock", "ReadSortBlock",
    "WriteSortBlock", "ReadNextModifiedRec", "ReadRecord", "WriteRecord", "DeleteRecord", "ReadResource",
    "WriteResource", "DeleteResource", "CleanUpDatabase", "ResetSyncFlags", "CallApplication", "ResetSystem",
    "AddSyncLogEntry", "ReadOpenDBInfo", "MoveCategory", "ProcessRPC", "OpenConduit", "EndOfSync",
    "ResetRecordIndex", "ReadRecordIDList", "ReadNextRecInCategory", "ReadNextModifiedRecInCategory",
    "ReadAppPreference", "WriteAppPreference", "ReadNetSyncInfo", "WriteNetSyncInfo", "ReadFeature", "FindDB",
    "SetDBInfo"};

struct ErrorText {
    const char* name;
    const char* meaning;
};
constexpr std::array<ErrorText, 22> kErrors = {{
    {"None", "no error"},
    {"System", "general system error on the handheld"},
    {"IllegalRequest", "the handheld does not know the request"},
    {"Memory", "the handheld is out of dynamic memory"},
    {"Parameter", "invalid parameter"},
    {"NotFound", "database, record or resource not found"},
    {"NoneOpen", "no database is open"},
    {"DatabaseOpen", "the database is open elsewhere"},
    {"TooManyOpen", "too many databases are open"},
    {"AlreadyExists", "a database of that name already exists"},
    {"CantOpen", "the database cannot be opened"},
    {"RecordDeleted", "the record is deleted"},
    {"RecordBusy", "the record is in use"},
    {"NotSupported", "not supported for this kind of database"},
    {"Unused", "unused error code"},
    {"ReadOnly", "the database is read-only or in ROM"},
    {"NotEnoughSpace", "not enough space on the handheld"},
    {"LimitExceeded", "size limit exceeded"},
    {"CancelSync", "the HotSync was cancelled on the handheld"},
    {"BadWrapper", "malformed argument wrapper"},
    {"ArgMissing", "a required argument is missing"},
    {"ArgSize", "an argument has the wrong size"},
}};

std::string hex(unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = "0x";
    for (int i = digits - 1; i >= 0; --i) out += kDigits[(value >> (4 * i)) & 15];
    return out;
}

void encodeArgs(const std::vector<DlpArg>& args, std::vector<std::uint8_t>& out) {
    bytes::ByteWriter w(out);
    for (const DlpArg& arg : args) {
        if (out.size() % 2 != 0) w.writeU8(0);
        const std::size_t n = arg.data.size();
        if (n <= 0xFF) {
            w.writeU8(arg.id);
            w.writeU8(static_cast<std::uint8_t>(n));
        } else if (n <= 0xFFFF) {
            w.writeU8(arg.id | kSmallFlag);
            w.writeU8(0);
            w.writeU16(static_cast<std::uint16_t>(n));
        } else {
            w.writeU8(arg.id | kLongFlag);
            w.writeU8(0);
            w.writeU32(static_cast<std::uint32_t>(n));
        }
        w.writeBytes(arg.data);
    }
}

bool decodeArgs(bytes::ByteReader& r, unsigned count, std::vector<DlpArg>& args, std::string& why) {
    args.clear();
    for (unsigned i = 0; i < count; ++i) {
        const std::string at = "argument " + std::to_string(i + 1) + ": ";
        if (i > 0 && r.position() % 2 != 0 && r.remaining() > 0) r.skip(1);
        const auto lead = r.readU8();
        if (!lead) {
            why = at + "missing (" + std::to_string(count) + " announced)";
            return false;
        }
        DlpArg arg;
        std::optional<std::uint32_t> size;
        if ((*lead & (kSmallFlag | kLongFlag)) == (kSmallFlag | kLongFlag)) {
            why = at + "wrapper " + hex(*lead, 2) + " is neither tiny, small nor long";
            return false;
        }
        if (*lead & kSmallFlag) {
            arg.id = *lead & ~kSmallFlag;
            if (r.skip(1)) size = r.readU16();
        } else if (*lead & kLongFlag) {
            arg.id = *lead & ~kLongFlag;
            if (r.skip(1)) size = r.readU32();
        } else {
            arg.id = *lead;
            if (auto tiny = r.readU8()) size = *tiny;
        }
        if (!size) {
            why = at + "wrapper cut short";
            return false;
        }
        const auto data = r.take(*size);
        if (!data) {
            why = at + "size " + std::to_string(*size) + " runs past the end (" + std::to_string(r.remaining()) + " bytes left)";
            return false;
        }
        arg.data.assign(data->begin(), data->end());
        args.push_back(std::move(arg));
    }
    if (r.remaining() != 0 && !(r.remaining() == 1 && r.position() % 2 != 0)) {
        why = std::to_string(r.remaining()) + " bytes after the last argument";
        return false;
    }
    return true;
}

const DlpArg* findArg(const std::vector<DlpArg>& args, std::uint8_t id) {
    for (const DlpArg& arg : args)
        if (arg.id == id) return &arg;
    return nullptr;
}

}  // namespace

std::string commandName(std::uint8_t command) {
    if (command >= 0x10 && command - 0x10u < kCommandNames.size()) return kCommandNames[command - 0x10];
    return "command " + hex(command, 2);
}

std::string errorName(std::uint16_t code) {
    if (code < kErrors.size()) return kErrors[code].name;
    return "error " + hex(code, 4);
}

std::string errorMeaning(std::uint16_t code) {
    if (code < kErrors.size()) return kErrors[code].meaning;
    return "error " + hex(code, 4) + " of the handheld";
}

std::vector<std::uint8_t> DlpRequest::encode() const {
    std::vector<std::uint8_t> out{command, static_cast<std::uint8_t>(args.size())};
    encodeArgs(args, out);
    return out;
}

std::vector<std::uint8_t> DlpResponse::encode() const {
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(command | kResponseFlag), static_cast<std::uint8_t>(args.size()),
                                  static_cast<std::uint8_t>(error >> 8), static_cast<std::uint8_t>(error)};
    encodeArgs(args, out);
    return out;
}

const DlpArg* DlpRequest::find(std::uint8_t id) const { return findArg(args, id); }
const DlpArg* DlpResponse::find(std::uint8_t id) const { return findArg(args, id); }

bool decodeRequest(std::span<const std::uint8_t> bytes, DlpRequest& request, std::string& why) {
    bytes::ByteReader r(bytes);
    const auto command = r.readU8();
    const auto count = r.readU8();
    if (!command || !count) {
        why = "request of " + std::to_string(bytes.size()) + " bytes is shorter than its header";
        return false;
    }
    if (*command & kResponseFlag) {
        why = "a response (" + hex(*command, 2) + ") where a request was expected";
        return false;
    }
    request.command = *command;
    return decodeArgs(r, *count, request.args, why);
}

bool decodeResponse(std::span<const std::uint8_t> bytes, DlpResponse& response, std::string& why) {
    bytes::ByteReader r(bytes);
    const auto command = r.readU8();
    const auto count = r.readU8();
    const auto error = r.readU16();
    if (!command || !count || !error) {
        why = "response of " + std::to_string(bytes.size()) + " bytes is shorter than its header";
        return false;
    }
    if (!(*command & kResponseFlag)) {
        why = "a request (" + hex(*command, 2) + ") where a response was expected";
        return false;
    }
    response.command = *command & ~kResponseFlag;
    response.error = *error;
    return decodeArgs(r, *count, response.args, why);
}

}  // namespace palmdesk::dlp
