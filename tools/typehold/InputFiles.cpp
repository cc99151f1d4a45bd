// InputFiles.cpp
#include "InputFiles.h"

#include "CommandError.h"
#include "core/FontList.h"
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/win/WholeFile.h"
#include "tools/common/CommandLine.h"

#include <filesystem>
#include <memory>

std::optional<std::string> whyNotReadable(const std::string& path, Expected expected) {
    if (auto why = cli::cannotRead(path)) return why;
    qz_gen::CPalmDb db;
    bool parsed = false;
    try {
        parsed = qz_gen::ReadDatabaseLayout(path, db);
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
