// Registry.cpp: the registry functions of HKEY_CURRENT_USER over the text file
// $PALMDESK_ROOT/user.reg.
#include "Registry.h"

#include "AtomicFile.h"
#include "DesktopRoot.h"
#include "FileLock.h"
#include "WholeFile.h"

#include <cstring>

namespace win {

struct RegistryKeyHandle {
    std::string path;  // below HKEY_CURRENT_USER; empty for the root itself
};

namespace {
RegistryKeyHandle rootHandle{""};

// Every read and change holds the registry's lock file: shared to read, exclusive to change.
FileLock lockRegistry(bool exclusive) {
    MakeFolders(DesktopRoot());
    return FileLock(RegistryFilePath() + ".lock", exclusive);
}

// The tree in the file; an empty tree when there is no file yet; none when it is unreadable.
std::optional<RegistryTree> readTree() {
    const auto bytes = ReadWholeFile(RegistryFilePath());
    if (!bytes) return RegistryTree();
    return RegistryTree::Parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

bool writeTree(const RegistryTree& tree) {
    const std::string text = tree.Serialise();
    return writeFileAtomically(RegistryFilePath(),
                               {std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())}, true);
}

std::string childPath(HKEY key, const char* subKey) {
    std::string path = key->path;
    if (subKey && *subKey) path += (path.empty() ? "" : "\\") + std::string(subKey);
    return NormaliseKeyPath(path);
}

bool validHandle(HKEY key) { return key != nullptr; }

// Keys every Windows profile has, whether or not the file holds them yet.
bool alwaysPresent(const std::string& path) { return EqualNoCase(path, "Software"); }
}  // namespace

const HKEY HKEY_CURRENT_USER = &rootHandle;

std::string RegistryFilePath() { return DesktopRoot() + "/user.reg"; }

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD, REGSAM, HKEY* result) {
    if (!validHandle(key) || result == nullptr) return ERROR_INVALID_PARAMETER;
    const std::string path = childPath(key, subKey);
    const FileLock lock = lockRegistry(false);
    const auto tree = readTree();
    if (!tree) return ERROR_BADDB;
    if (!path.empty() && !alwaysPresent(path) && !tree->FindKey(path)) return ERROR_FILE_NOT_FOUND;
    *result = new RegistryKeyHandle{path};
    return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD, const char*, DWORD, REGSAM, const void*, HKEY* result,
                    DWORD* disposition) {
    if (!validHandle(key) || result == nullptr) return ERROR_INVALID_PARAMETER;
    const std::string path = childPath(key, subKey);
    const FileLock lock = lockRegistry(true);
    auto tree = readTree();
    if (!tree) return ERROR_BADDB;
    const bool existed = path.empty() || tree->FindKey(path) != nullptr;
    if (!existed) {
        tree->CreateKey(path);
        if (!writeTree(*tree)) return ERROR_ACCESS_DENIED;
    }
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = new RegistryKeyHandle{path};
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
    if (!validHandle(key)) return ERROR_INVALID_HANDLE;
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    const FileLock lock = lockRegistry(false);
    const auto tree = readTree();
    if (!tree) return ERROR_BADDB;
    const RegistryKeyData* k = tree->FindKey(key->path);
    if (k == nullptr) return ERROR_FILE_NOT_FOUND;  // no such key, or none of its values yet
    const RegistryValue* v = RegistryTree::FindValue(*k, name ? name : "");
    if (v == nullptr) return ERROR_FILE_NOT_FOUND;
    if (type) *type = v->type;
    const auto length = static_cast<DWORD>(v->data.size());
    if (data != nullptr && *size < length) {
        *size = length;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr && length != 0) std::memcpy(data, v->data.data(), length);
    if (size) *size = length;
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (!validHandle(key) || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
    const FileLock lock = lockRegistry(true);
    auto tree = readTree();
    if (!tree) return ERROR_BADDB;
    RegistryKeyData* k = tree->FindKey(key->path);
    // Values sit in keys below the root; a key deleted meanwhile takes none.
    if (key->path.empty()) return ERROR_ACCESS_DENIED;
    if (k == nullptr && alwaysPresent(key->path)) k = &tree->CreateKey(key->path);
    if (k == nullptr) return ERROR_FILE_NOT_FOUND;
    const std::string valueName = name ? name : "";
    RegistryValue value{valueName, type, std::vector<std::uint8_t>(data, data + size)};
    if (RegistryValue* existing = RegistryTree::FindValue(*k, valueName)) {
        value.name = existing->name;
        *existing = std::move(value);
    } else {
        k->values.push_back(std::move(value));
    }
    return writeTree(*tree) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegDeleteValue(HKEY key, const char* name) {
    if (!validHandle(key)) return ERROR_INVALID_HANDLE;
    const FileLock lock = lockRegistry(true);
    auto tree = readTree();
    if (!tree) return ERROR_BADDB;
    RegistryKeyData* k = tree->FindKey(key->path);
    if (k == nullptr) return ERROR_FILE_NOT_FOUND;
    const std::string valueName = name ? name : "";
    for (auto it = k->values.begin(); it != k->values.end(); ++it)
        if (EqualNoCase(it->name, valueName)) {
            k->values.erase(it);
            return writeTree(*tree) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
        }
    return ERROR_FILE_NOT_FOUND;
}

LONG RegDeleteKey(HKEY key, const char* subKey) {
    if (!validHandle(key) || subKey == nullptr || *subKey == '\0') return ERROR_INVALID_PARAMETER;
    const std::string path = childPath(key, subKey);
    const FileLock lock = lockRegistry(true);
    auto tree = readTree();
    if (!tree) return ERROR_BADDB;
    if (!tree->FindKey(path)) return ERROR_FILE_NOT_FOUND;
    for (const auto& k : tree->Keys())
        if (k.path.size() > path.size() && k.path[path.size()] == '\\' && EqualNoCase(k.path.substr(0, path.size()), path))
            return ERROR_ACCESS_DENIED;
    tree->DeleteKey(path);
    return writeTree(*tree) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegEnumKeys(HKEY key, std::vector<std::string>& names) {
    names.clear();
    if (!validHandle(key)) return ERROR_INVALID_HANDLE;
    const FileLock lock = lockRegistry(false);
    const auto tree = readTree();
    if (!tree) return ERROR_BADDB;
    const std::string prefix = key->path.empty() ? "" : key->path + "\\";
    for (const auto& k : tree->Keys()) {
        if (k.path.size() <= prefix.size() || !EqualNoCase(k.path.substr(0, prefix.size()), prefix)) continue;
        const std::string rest = k.path.substr(prefix.size());
        if (rest.find('\\') == std::string::npos) names.push_back(rest);
    }
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    if (key != HKEY_CURRENT_USER) delete key;
    return ERROR_SUCCESS;
}

}  // namespace win
