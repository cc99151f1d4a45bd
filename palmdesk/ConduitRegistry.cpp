// ConduitRegistry.cpp: conduit registrations of the stand-in HotSync manager, by creator, kept in
// the registry under HKEY_CURRENT_USER\Software\U.S.
#include "ConduitRegistry.h"

#include "platform/win/Registry.h"

namespace palmdesk {

namespace {
constexpr const char* kConduitsKey = "Software\\U.S. Robotics\\Pilot Desktop\\Conduits";

bool validCreator(const std::string& creator) {
    if (creator.size() != 4) return false;
    for (const char c : creator)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\\') return false;
    return true;
}

std::optional<std::string> readString(win::HKEY key, const char* name) {
    win::DWORD size = 0, type = 0;
    if (win::RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) != win::ERROR_SUCCESS || type != win::REG_SZ) return std::nullopt;
    std::string text(size, '\0');
    if (win::RegQueryValueEx(key, name, nullptr, nullptr, reinterpret_cast<win::BYTE*>(text.data()), &size) != win::ERROR_SUCCESS)
        return std::nullopt;
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

std::string keyFor(const std::string& creator) { return std::string(kConduitsKey) + "\\" + creator; }
}  // namespace

std::int32_t ConduitRegistry::Install(const std::string& creator, std::int32_t type) {
    if (!validCreator(creator)) return kCondMgrBadCreator;
    if (Find(creator)) return kCondMgrAlreadyRegistered;
    win::HKEY key = nullptr;
    if (win::RegCreateKeyEx(win::HKEY_CURRENT_USER, keyFor(creator).c_str(), 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != win::ERROR_SUCCESS)
        return kCondMgrError;
    const auto value = static_cast<std::uint32_t>(type);
    const win::LONG rc = win::RegSetValueEx(key, "Type", 0, win::REG_DWORD, reinterpret_cast<const win::BYTE*>(&value), 4);
    win::RegCloseKey(key);
    return rc == win::ERROR_SUCCESS ? kCondMgrOk : kCondMgrError;
}

std::int32_t ConduitRegistry::Set(const std::string& creator, const char* valueName, const std::string& text) {
    if (!validCreator(creator)) return kCondMgrBadCreator;
    win::HKEY key = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, keyFor(creator).c_str(), 0, win::KEY_ALL_ACCESS, &key) != win::ERROR_SUCCESS)
        return kCondMgrNotRegistered;
    const win::LONG rc = win::RegSetValueEx(key, valueName, 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>(text.c_str()),
                                            static_cast<win::DWORD>(text.size() + 1));
    win::RegCloseKey(key);
    return rc == win::ERROR_SUCCESS ? kCondMgrOk : kCondMgrError;
}

std::int32_t ConduitRegistry::Remove(const std::string& creator) {
    if (!validCreator(creator)) return kCondMgrBadCreator;
    win::HKEY conduits = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, kConduitsKey, 0, win::KEY_ALL_ACCESS, &conduits) != win::ERROR_SUCCESS)
        return kCondMgrNotRegistered;
    const win::LONG rc = win::RegDeleteKey(conduits, creator.c_str());
    win::RegCloseKey(conduits);
    return rc == win::ERROR_SUCCESS ? kCondMgrOk : kCondMgrNotRegistered;
}

std::optional<ConduitRegistration> ConduitRegistry::Find(const std::string& creator) const {
    if (!validCreator(creator)) return std::nullopt;
    win::HKEY key = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, keyFor(creator).c_str(), 0, win::KEY_READ, &key) != win::ERROR_SUCCESS)
        return std::nullopt;
    ConduitRegistration r;
    r.creator = creator;
    std::uint32_t type = 0;
    win::DWORD size = 4;
    if (win::RegQueryValueEx(key, "Type", nullptr, nullptr, reinterpret_cast<win::BYTE*>(&type), &size) == win::ERROR_SUCCESS)
        r.type = static_cast<std::int32_t>(type);
    r.libraryFile = readString(key, "Name").value_or("");
    r.folder = readString(key, "Directory").value_or("");
    r.title = readString(key, "Title").value_or("");
    win::RegCloseKey(key);
    return r;
}

std::vector<ConduitRegistration> ConduitRegistry::List() const {
    std::vector<ConduitRegistration> out;
    win::HKEY conduits = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, kConduitsKey, 0, win::KEY_READ, &conduits) != win::ERROR_SUCCESS) return out;
    std::vector<std::string> creators;
    win::RegEnumKeys(conduits, creators);
    win::RegCloseKey(conduits);
    for (const auto& c : creators)
        if (auto r = Find(c)) out.push_back(*r);
    return out;
}

}  // namespace palmdesk
