// HandheldStore.cpp
#include "HandheldStore.h"

#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/DesktopRoot.h"
#include "platform/win/WholeFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace palmdesk {

namespace fs = std::filesystem;

std::unique_ptr<qz_gen::CPalmDb> ParsePalmDatabase(const std::vector<std::uint8_t>& bytes) {
    auto db = std::make_unique<qz_gen::CPalmDb>();
    try {
        if (db->ReadFromBytes(bytes) != 0) return nullptr;
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        return nullptr;
    }
    if (db->GetName().empty()) return nullptr;
    return db;
}

namespace {
std::unique_ptr<qz_gen::CPalmDb> readFile(const std::string& path) {
    const auto bytes = win::ReadWholeFile(path);
    return bytes ? ParsePalmDatabase(*bytes) : nullptr;
}

StoredDatabase describe(const qz_gen::CPalmDb& db, const fs::path& file) {
    std::error_code ignored;
    return {db.GetName(), file.string(), db.Header().type, db.Header().creator, db.Header().attributes, db.LiveCount(),
            static_cast<std::uint64_t>(fs::file_size(file, ignored))};
}
}  // namespace

std::string EscapeDatabaseName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b >= 0x7F || std::string_view("/\\%:*?\"<>|").find(c) != std::string_view::npos) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            out += hex;
        } else {
            out += c;
        }
    }
    if (out.empty() || out[0] == '.') out = "%2E" + out.substr(out.empty() ? 0 : 1);
    return out;
}

HandheldStore::HandheldStore(std::string folder) : folder_(std::move(folder)) {}

std::string HandheldStore::FileFor(const std::string& name) const { return folder_ + "/" + EscapeDatabaseName(name) + ".pdb"; }

std::vector<StoredDatabase> HandheldStore::List() const {
    std::vector<StoredDatabase> out;
    std::error_code ignored;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder_, ignored))
        if (entry.is_regular_file(ignored) && entry.path().extension() == ".pdb") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        if (const auto db = readFile(file.string())) out.push_back(describe(*db, file));
    }
    return out;
}

std::optional<HandheldStore::Located> HandheldStore::Locate(const std::string& name) const {
    const std::string expected = FileFor(name);
    if (auto db = readFile(expected); db && db->GetName() == name)
        return Located{describe(*db, expected), std::move(db)};
    for (const auto& entry : List())
        if (entry.name == name)
            if (auto db = readFile(entry.file)) return Located{entry, std::move(db)};
    return std::nullopt;
}

std::optional<StoredDatabase> HandheldStore::Find(const std::string& name) const {
    auto located = Locate(name);
    if (!located) return std::nullopt;
    return located->entry;
}

std::unique_ptr<qz_gen::CPalmDb> HandheldStore::Load(const std::string& name) const {
    auto located = Locate(name);
    return located ? std::move(located->db) : nullptr;
}

bool HandheldStore::Store(const qz_gen::CPalmDb& db) const {
    if (!win::MakeFolders(folder_)) return false;
    const std::string name = db.GetName();
    const auto old = Find(name);
    const std::string target = FileFor(name);
    const auto bytes = db.ToBytes();
    if (!win::writeFileAtomically(target, {std::span<const std::uint8_t>(bytes)}, true)) return false;
    // A database of that name kept under another file name (made by hand, say) goes.
    if (old && old->file != target) std::remove(old->file.c_str());
    return true;
}

bool HandheldStore::Remove(const std::string& name) const {
    const auto found = Find(name);
    return found && std::remove(found->file.c_str()) == 0;
}

}  // namespace palmdesk
