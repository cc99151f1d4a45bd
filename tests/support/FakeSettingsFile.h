// FakeSettingsFile.h: the conduit's settings file in memory. Keeps every write in order and can
// refuse them all.
#pragma once

#include "conduit/ConduitSettings.h"

#include <map>
#include <string>
#include <vector>

class FakeSettingsFile final : public SettingsFile {
public:
    std::string read(const char* key, const std::string& fallback) const override {
        const auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    bool write(const char* key, const std::string& value) override {
        writes.push_back(std::string(key) + "=" + value);
        if (failWrites) return false;
        values[key] = value;
        return true;
    }
    std::vector<std::string> writes;
    std::map<std::string, std::string> values;
    bool failWrites = false;
};
