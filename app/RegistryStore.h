// RegistryStore.h: the converter's corner of the registry, the key <company>\<product> under
// HKEY_CURRENT_USER\software, with one open section (subkey) at a time.
#pragma once

#include "platform/win/Registry.h"

#include <cstdint>
#include <string>

class RegistryStore {
public:
    RegistryStore(std::string company, std::string product);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // The application key, made when missing; null on failure. The caller closes it.
    win::HKEY OpenAppKey();

    bool OpenSection(const std::string& name);
    void CloseSection();

    // In the open section. GetDword reads up to 4 bytes whatever the stored type; GetBinary
    // succeeds only when the value exists and fits in capacity (length, when given, gets its size).
    bool GetDword(const std::string& name, std::uint32_t& value);
    bool SetDword(const std::string& name, std::uint32_t value);
    bool GetBinary(const std::string& name, std::uint8_t* buffer, std::uint32_t capacity, std::uint32_t* length = nullptr);
    bool SetBinary(const std::string& name, const std::uint8_t* data, std::uint32_t length);
    // A REG_SZ of at most capacity bytes with its terminating zero; a longer one fails.
    bool GetSectionString(const std::string& name, std::string& text, std::uint32_t capacity);
    bool SetSectionString(const std::string& name, const std::string& text);
    bool DeleteSectionValue(const std::string& name);

    // On the application key itself.
    bool GetString(const std::string& name, std::string& text);
    bool SetString(const std::string& name, const std::string& text);

private:
    std::string company_;
    std::string product_;
    win::HKEY section_ = nullptr;
};
