// Fuzz target: the stand-in handheld's store over any files, and the user store over any user
// folders. The store's listing (headers and lists) accepts exactly the files the whole-file reader
// accepts and describes them alike; every listed database is found and loaded by its name, and
// one stored again is found in the file its name gives. A user folder is a user exactly when its
// ID file starts with a number from 1 to 2^32 - 1, and listing and finding agree.
#include "core/qz_fileio/PalmDb.h"
#include "FuzzCheck.h"
#include "palmdesk/HandheldStore.h"
#include "palmdesk/UserStore.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
const std::string& scratch() {
    static const std::string folder = [] {
        std::string f = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/store-fuzz-XXXXXX";
        if (!::mkdtemp(f.data())) std::abort();
        static const std::string made = f;
        std::atexit([] { std::error_code ignored; fs::remove_all(made, ignored); });
        return f;
    }();
    return folder;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

void fuzzHandheld(const std::uint8_t* data, std::size_t size, bool twoFiles) {
    const std::string folder = scratch() + "/card0";
    fs::remove_all(folder);
    fs::create_directories(folder);
    // One file, or the input cut in two files (the second named after the first's header name).
    const std::size_t first = twoFiles ? size / 2 : size;
    writeFile(folder + "/a.pdb", data, first);
    const std::vector<std::uint8_t> bytesA(data, data + first);
    const auto wholeA = palmdesk::ParsePalmDatabase(bytesA);
    palmdesk::HandheldStore store(folder);
    if (twoFiles) {
        // Named after the first's header name, unless that name gives the first file itself ("a").
        std::string second = wholeA ? store.FileFor(wholeA->GetName()) : folder + "/b.pdb";
        if (second == folder + "/a.pdb") second = folder + "/b.pdb";
        writeFile(second, data + first, size - first);
    }

    const auto listed = store.List();
    const auto index = store.IndexedFiles();
    for (const auto& entry : listed) {
        const auto whole = palmdesk::ReadPalmDatabaseFile(entry.file);
        check(whole != nullptr);
        check(whole->GetName() == entry.name && whole->Header().type == entry.type &&
              whole->Header().creator == entry.creator && whole->Header().attributes == entry.attributes &&
              whole->Header().numRecords == entry.records);
        check(index.count(entry.name) == 1);
        const auto found = store.Find(entry.name);
        check(found && found->name == entry.name);
        auto loaded = store.Load(entry.name);
        check(loaded && loaded->GetName() == entry.name);
    }
    if (wholeA) {
        const bool listedA = std::any_of(listed.begin(), listed.end(), [&](const auto& e) { return fs::path(e.file).filename() == "a.pdb"; });
        check(listedA);
        // Stored again, the database lives in a file that holds it (the one its name gives, or a
        // numbered one when that file holds another database), and a fresh index finds it there.
        auto loaded = store.Load(wholeA->GetName());
        check(loaded != nullptr);
        // As the Sync API does before it stores a database: the header's offsets describe the
        // blocks where they will be written.
        loaded->SetLayoutFields();
        if (store.Store(*loaded)) {
            const auto found = store.Find(wholeA->GetName());
            check(found.has_value());
            const auto back = palmdesk::ReadPalmDatabaseFile(found->file);
            check(back && back->GetName() == wholeA->GetName());
            check(palmdesk::HandheldStore(folder).IndexedFiles().at(wholeA->GetName()) == found->file);
        }
    }
}

void fuzzUsers(const std::uint8_t* data, std::size_t size) {
    const std::string users = scratch() + "/Users";
    fs::remove_all(users);
    fs::create_directories(users);
    // The user's name up to the first line break, then the ID file's bytes.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto cut = text.find('\n');
    if (cut == std::string::npos) return;
    const std::string name = text.substr(0, cut);
    palmdesk::UserStore store(users);
    if (!palmdesk::UserStore::IsValidName(name) || name.find('\0') != std::string::npos || name.size() > 200) {
        check(!store.Find(name));
        return;
    }
    fs::create_directories(store.UserFolder(name));
    writeFile(store.UserFolder(name) + "/UserID", data + cut + 1, size - cut - 1);
    const auto found = store.Find(name);
    const auto listed = store.List();
    check(listed.size() == (found ? 1u : 0u));
    if (found) check(listed[0].name == name && listed[0].id == found->id && found->id != 0);
    // A plain decimal ID reads as itself.
    const std::string id = text.substr(cut + 1);
    if (!id.empty() && id.size() <= 9 && id.find_first_not_of("0123456789") == std::string::npos && std::stoul(id) != 0)
        check(found && found->id == std::stoul(id));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    switch (data[0] % 3) {
    case 0: fuzzHandheld(data + 1, size - 1, false); break;
    case 1: fuzzHandheld(data + 1, size - 1, true); break;
    case 2: fuzzUsers(data + 1, size - 1); break;
    }
    return 0;
}
