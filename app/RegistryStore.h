// RegistryStore.h: the converter's corner of the registry, the key <company>\<product> under
// HKEY_CURRENT_USER\software, with one open section (subkey) at a time. Its value calls are
// virtual so that tests can put a store in memory (tests/support/FakeRegistryStore.h) in its place.
#pragma once

#include "platform/win/Registry.h"

#include <cstdint>
#include <string>

class RegistryStore {
public:
    RegistryStore(std::string company, std::string product);
    virtual ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // The application key, made when missing; null on failure. The caller closes it.
    win::HKEY OpenAppKey();

    virtual bool OpenSection(const std::string& name);
    virtual void CloseSection();

    // In the open section. GetDword reads up to 4 bytes whatever the stored type; GetBinary
    // succeeds only when the value exists and fits in capacity (length, when given, gets its size).
    virtual bool GetDword(const std::string& name, std::uint32_t& value);
    virtual bool SetDword(const std::string& name, std::uint32_t value);
    virtual bool GetBinary(const std::string& name, std::uint8_t* buffer, std::uint32_t capacity, std::uint32_t* length = nullptr);
    virtual bool SetBinary(const std::string& name, const std::uint8_t* data, std::uint32_t length);
    // A REG_SZ of at most capacity bytes with its terminating zero; a longer one fails.
    virtual bool GetSectionString(const std::string& name, std::string& text, std::uint32_t capacity);
    virtual bool SetSectionString(const std::string& name, const std::string& text);
    virtual bool DeleteSectionValue(const std::string& name);

    // On the application key itself.
    virtual bool GetString(const std::string& name, std::string& text);
    virtual bool SetString(const std::string& name, const std::string& text);

private:
    std::string company_;
    std::string product_;
    win::HKEY section_ = nullptr;
};
