// InputFiles.cpp
#include "InputFiles.h"

#include "CommandError.h"
#include "core/FontList.h"
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/win/WholeFile.h"
#include "tools/common/CommandLine.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {
// Whether the file at path is a Palm database, told from its header and list and its length
// alone, so that a large file is not read whole just to be checked.
bool readLayout(const std::string& path, qz_gen::CPalmDb& db) {
    std::error_code ec;
    const auto length = std::filesystem::file_size(path, ec);
    if (ec || length == 0) return false;
    // The longest header and list a database can have: 65,535 resource entries.
    constexpr std::size_t kLongestStart =
        qz_gen::CPalmDb::kHeaderSize + 0xFFFF * qz_gen::CPalmDb::kResourceEntrySize + qz_gen::CPalmDb::kGapSize;
    const auto start = win::ReadFileStart(path, static_cast<std::size_t>(std::min<std::uintmax_t>(length, kLongestStart)));
    if (!start) return false;
    try {
        return db.ReadLayout(*start, length) == qz_gen::kDbOk;
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        return false;
    }
}
}  // namespace

std::optional<std::string> whyNotReadable(const std::string& path, Expected expected) {
    if (auto why = cli::cannotRead(path)) return why;
    qz_gen::CPalmDb db;
    bool parsed = false;
    try {
        parsed = readLayout(path, db);
    } catch (const std::bad_alloc&) {
        return std::string("out of memory");
    }
    if (!parsed) {
        const auto bytes = win::ReadWholeFile(path);
        if (!bytes) return std::string("cannot be read");
        const char* what = expected == Expected::TypeholdFile ? "not a Typehold file (a Palm database)"
                                                              : "not a Palm database";
        std::string seems = cli::describeContent(*bytes);
        if (seems.empty())
            seems = bytes->size() < qz_gen::CPalmDb::kHeaderSize ? "it is shorter than a database header"
                                                                  : "its record list does not fit the file";
        return std::string(what) + ": " + seems;
    }
    if (expected == Expected::TypeholdFile &&
        (db.Header().type != CFontList::kTypeXFnt || db.Header().creator != CFontList::kCreatorFmgr))
        return "not a Typehold file: a Palm database of type " + cli::fourCharCode(db.Header().type) + ", creator " +
               cli::fourCharCode(db.Header().creator) + " (a Typehold file has type xFnt, creator FMGR)";
    return std::nullopt;
}

void requireInput(const std::string& path, Expected expected, bool nameFile) {
    if (const auto why = whyNotReadable(path, expected)) throw CommandError(nameFile ? path + ": " + *why : *why);
}

void requireNewOutput(const std::string& path, bool overwrite, bool nameFile) {
    if (const auto why = cli::cannotCreate(path, overwrite)) throw CommandError(nameFile ? path + ": " + *why : *why);
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}
