// RegistryStore.cpp: the converter's corner of the registry, the key <company>\<product> under
// HKEY_CURRENT_USER\software, with one open section (subkey) at a time.
#include "RegistryStore.h"

#include "platform/bytes/ByteOrder.h"

#include <vector>

RegistryStore::RegistryStore(std::string company, std::string product)
    : company_(std::move(company)), product_(std::move(product)) {}

RegistryStore::~RegistryStore() { CloseSection(); }

win::HKEY RegistryStore::OpenAppKey() {
    const win::REGSAM access = win::KEY_READ | win::KEY_WRITE;
    win::HKEY software = nullptr, company = nullptr, product = nullptr;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, "software", 0, access, &software) != win::ERROR_SUCCESS) return nullptr;
    const bool made =
        win::RegCreateKeyEx(software, company_.c_str(), 0, nullptr, 0, access, nullptr, &company, nullptr) == win::ERROR_SUCCESS &&
        win::RegCreateKeyEx(company, product_.c_str(), 0, nullptr, 0, access, nullptr, &product, nullptr) == win::ERROR_SUCCESS;
    if (company) win::RegCloseKey(company);
    win::RegCloseKey(software);
    return made ? product : nullptr;
}

bool RegistryStore::OpenSection(const std::string& name) {
    CloseSection();
    win::HKEY app = OpenAppKey();
    if (!app) return false;
    const bool ok = win::RegCreateKeyEx(app, name.c_str(), 0, nullptr, 0, win::KEY_READ | win::KEY_WRITE, nullptr, &section_,
                                        nullptr) == win::ERROR_SUCCESS;
    win::RegCloseKey(app);
    if (!ok) section_ = nullptr;
    return ok;
}

void RegistryStore::CloseSection() {
    if (section_) win::RegCloseKey(section_);
    section_ = nullptr;
}

bool RegistryStore::GetDword(const std::string& name, std::uint32_t& value) {
    if (!section_) return false;
    std::uint8_t word[4] = {};
    win::DWORD size = sizeof word;
    if (win::RegQueryValueEx(section_, name.c_str(), nullptr, nullptr, word, &size) != win::ERROR_SUCCESS) return false;
    value = bytes::loadU32LE(word);
    return true;
}

bool RegistryStore::SetDword(const std::string& name, std::uint32_t value) {
    if (!section_) return false;
    std::uint8_t word[4];
    bytes::storeU32LE(word, value);
    return win::RegSetValueEx(section_, name.c_str(), 0, win::REG_DWORD, word, sizeof word) == win::ERROR_SUCCESS;
}

bool RegistryStore::GetBinary(const std::string& name, std::uint8_t* buffer, std::uint32_t capacity, std::uint32_t* length) {
    if (!section_ || buffer == nullptr) return false;
    win::DWORD size = capacity;
    if (win::RegQueryValueEx(section_, name.c_str(), nullptr, nullptr, buffer, &size) != win::ERROR_SUCCESS) return false;
    if (length) *length = size;
    return true;
}

bool RegistryStore::SetBinary(const std::string& name, const std::uint8_t* data, std::uint32_t length) {
    if (!section_) return false;
    return win::RegSetValueEx(section_, name.c_str(), 0, win::REG_BINARY, data, length) == win::ERROR_SUCCESS;
}

bool RegistryStore::GetSectionString(const std::string& name, std::string& text, std::uint32_t capacity) {
    if (!section_) return false;
    std::vector<std::uint8_t> bytes(capacity + 1, 0);
    win::DWORD size = capacity;
    win::DWORD type = 0;
    if (win::RegQueryValueEx(section_, name.c_str(), nullptr, &type, bytes.data(), &size) != win::ERROR_SUCCESS ||
        type != win::REG_SZ)
        return false;
    text.assign(reinterpret_cast<const char*>(bytes.data()));  // up to the terminating zero
    return true;
}

bool RegistryStore::SetSectionString(const std::string& name, const std::string& text) {
    if (!section_) return false;
    return win::RegSetValueEx(section_, name.c_str(), 0, win::REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                              static_cast<win::DWORD>(text.size() + 1)) == win::ERROR_SUCCESS;
}

bool RegistryStore::DeleteSectionValue(const std::string& name) {
    return section_ && win::RegDeleteValue(section_, name.c_str()) == win::ERROR_SUCCESS;
}

bool RegistryStore::GetString(const std::string& name, std::string& text) {
    win::HKEY app = OpenAppKey();
    if (!app) return false;
    win::DWORD size = 0;
    bool ok = win::RegQueryValueEx(app, name.c_str(), nullptr, nullptr, nullptr, &size) == win::ERROR_SUCCESS;
    std::vector<std::uint8_t> bytes(size + 1, 0);
    if (ok) ok = win::RegQueryValueEx(app, name.c_str(), nullptr, nullptr, bytes.data(), &size) == win::ERROR_SUCCESS;
    win::RegCloseKey(app);
    if (!ok) return false;
    text.assign(reinterpret_cast<const char*>(bytes.data()));  // up to the terminating zero
    return true;
}

bool RegistryStore::SetString(const std::string& name, const std::string& text) {
    win::HKEY app = OpenAppKey();
    if (!app) return false;
    const bool ok = win::RegSetValueEx(app, name.c_str(), 0, win::REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                       static_cast<win::DWORD>(text.size() + 1)) == win::ERROR_SUCCESS;
    win::RegCloseKey(app);
    return ok;
}
