// FakeRegistryStore.h: the converter's registry store in memory. Sections and value names are
// compared without regard to case, as the registry compares them; each value keeps its type, so
// the typed reads fail as the registry's do. Writes can be refused.
#pragma once

#include "app/RegistryStore.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

class FakeRegistryStore final : public RegistryStore {
public:
    struct Value {
        win::DWORD type = 0;
        std::vector<std::uint8_t> data;
    };

    FakeRegistryStore() : RegistryStore("Corvane", "Typehold") {}

    bool OpenSection(const std::string& name) override {
        if (failOpen) return false;
        section_ = lower(name);
        return true;
    }
    void CloseSection() override { section_.reset(); }

    bool GetDword(const std::string& name, std::uint32_t& value) override {
        const Value* v = section_ ? find(*section_, name) : nullptr;
        if (v == nullptr || v->data.size() > 4) return false;
        std::uint8_t word[4] = {};
        std::copy(v->data.begin(), v->data.end(), word);
        value = std::uint32_t(word[0]) | std::uint32_t(word[1]) << 8 | std::uint32_t(word[2]) << 16 | std::uint32_t(word[3]) << 24;
        return true;
    }
    bool SetDword(const std::string& name, std::uint32_t value) override {
        const std::uint8_t word[4] = {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                                      std::uint8_t(value >> 24)};
        return section_ && put(*section_, name, {win::REG_DWORD, {word, word + 4}});
    }
    bool GetBinary(const std::string& name, std::uint8_t* buffer, std::uint32_t capacity,
                   std::uint32_t* length = nullptr) override {
        const Value* v = section_ && buffer ? find(*section_, name) : nullptr;
        if (v == nullptr || v->data.size() > capacity) return false;
        std::copy(v->data.begin(), v->data.end(), buffer);
        if (length) *length = static_cast<std::uint32_t>(v->data.size());
        return true;
    }
    bool SetBinary(const std::string& name, const std::uint8_t* data, std::uint32_t length) override {
        return section_ && put(*section_, name, {win::REG_BINARY, {data, data + length}});
    }
    bool GetSectionString(const std::string& name, std::string& text, std::uint32_t capacity) override {
        return section_ && getString(*section_, name, text, capacity, true);
    }
    bool SetSectionString(const std::string& name, const std::string& text) override {
        return section_ && put(*section_, name, stringValue(text));
    }
    bool DeleteSectionValue(const std::string& name) override {
        return section_ && !failWrites && sections[*section_].erase(lower(name)) > 0;
    }
    bool GetString(const std::string& name, std::string& text) override {
        // The application key's strings are read whatever their stored type.
        return getString("", name, text, std::uint32_t(-1), false);
    }
    bool SetString(const std::string& name, const std::string& text) override { return put("", name, stringValue(text)); }

    // Values by lower-case section ("" for the application key) and lower-case name.
    std::map<std::string, std::map<std::string, Value>> sections;
    bool failOpen = false;
    bool failWrites = false;

private:
    static std::string lower(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return s;
    }
    static Value stringValue(const std::string& text) {
        Value v{win::REG_SZ, {text.begin(), text.end()}};
        v.data.push_back(0);
        return v;
    }
    const Value* find(const std::string& section, const std::string& name) const {
        const auto s = sections.find(section);
        if (s == sections.end()) return nullptr;
        const auto v = s->second.find(lower(name));
        return v == s->second.end() ? nullptr : &v->second;
    }
    bool put(const std::string& section, const std::string& name, Value value) {
        if (failWrites) return false;
        sections[section][lower(name)] = std::move(value);
        return true;
    }
    bool getString(const std::string& section, const std::string& name, std::string& text, std::uint32_t capacity,
                   bool onlyText) const {
        const Value* v = find(section, name);
        if (v == nullptr || (onlyText && v->type != win::REG_SZ) || v->data.size() > capacity) return false;
        text.assign(reinterpret_cast<const char*>(v->data.data()), strnlen(reinterpret_cast<const char*>(v->data.data()), v->data.size()));
        return true;
    }
    std::optional<std::string> section_;
};
