// HandheldStore.cpp
#include "HandheldStore.h"

#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/DesktopRoot.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace palmdesk {

namespace fs = std::filesystem;

namespace {
std::unique_ptr<qz_gen::CPalmDb> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    auto db = std::make_unique<qz_gen::CPalmDb>();
    try {
        if (db->ReadFromBytes(bytes) != 0) return nullptr;
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        return nullptr;
    }
    return db;
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
        const auto db = readFile(file.string());
        if (!db) continue;
        out.push_back({db->GetName(), file.string(), db->Header().type, db->Header().creator, db->Header().attributes,
                       db->LiveCount(), static_cast<std::uint64_t>(fs::file_size(file, ignored))});
    }
    return out;
}

std::optional<StoredDatabase> HandheldStore::Find(const std::string& name) const {
    for (auto& db : List())
        if (db.name == name) return db;
    return std::nullopt;
}

std::unique_ptr<qz_gen::CPalmDb> HandheldStore::Load(const std::string& name) const {
    const auto found = Find(name);
    return found ? readFile(found->file) : nullptr;
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
