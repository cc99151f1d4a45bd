// Fuzz target: the private-profile functions over any INI file, into buffers of every size. Lists
// (section or key null) stay inside the buffer and, cut or whole, agree with IniFile's; values
// agree with IniFile::Get cut to the buffer; a value of decimal digits reads as its number; a
// number written reads back; and a write leaves every other section's values as they were.
#include "platform/win/EqualNoCase.h"
#include "platform/win/IniFile.h"
#include "platform/win/PrivateProfile.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}

const std::string& profilePath() {
    static const std::string path = [] {
        // Memory-backed where there is one: each write flushes its file to the disk.
        std::string folder = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/profile-fuzz-XXXXXX";
        if (!::mkdtemp(folder.data())) std::abort();
        static const std::string made = folder;
        std::atexit([] { std::error_code ignored; std::filesystem::remove_all(made, ignored); });
        return folder + "/fuzz.ini";
    }();
    return path;
}

// A heap buffer of exactly size bytes, so that the address sanitizer sees a write past it.
std::unique_ptr<char[]> bufferOf(std::uint32_t size) {
    auto buffer = std::make_unique<char[]>(size);
    std::memset(buffer.get(), 'X', size);
    return buffer;
}

bool hasZero(const std::string& s) { return s.find('\0') != std::string::npos; }

// A list read into size bytes against the names it should hold.
void checkList(const char* section, const std::vector<std::string>& names, std::uint32_t size) {
    std::string whole;
    for (const auto& name : names) whole += name + '\0';
    const auto buffer = bufferOf(size);
    const std::uint32_t n = win::GetPrivateProfileString(section, nullptr, "", buffer.get(), size, profilePath().c_str());
    if (size == 1) {
        check(n == 0 && buffer[0] == '\0');
    } else if (whole.size() + 1 <= size) {
        check(n == whole.size() && std::string(buffer.get(), n + 1) == whole + '\0');
    } else {
        check(n == size - 2 && buffer[size - 2] == '\0' && buffer[size - 1] == '\0');
        check(std::string(buffer.get(), size - 2) == whole.substr(0, size - 2));
    }
}

std::string value(const char* section, const char* key, std::uint32_t size) {
    const auto buffer = bufferOf(size);
    const std::uint32_t n = win::GetPrivateProfileString(section, key, "", buffer.get(), size, profilePath().c_str());
    check(n < size && buffer[n] == '\0');
    return std::string(buffer.get(), n);
}

bool allDigits(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    // The first byte picks the buffer size, the next four a number to write; the rest is the file.
    const std::uint32_t bufferSize = 1 + (data[0] < 0xF0 ? data[0] % 48 : 256u * (data[0] - 0xEF));
    const std::int32_t number = static_cast<std::int32_t>(std::uint32_t(data[1]) << 24 | std::uint32_t(data[2]) << 16 |
                                                          std::uint32_t(data[3]) << 8 | data[4]);
    const std::string text(reinterpret_cast<const char*>(data + 5), size - 5);
    {
        std::ofstream file(profilePath(), std::ios::binary | std::ios::trunc);
        file << text;
    }
    const auto ini = win::IniFile::Parse(text);
    const auto sections = ini.Sections();
    checkList(nullptr, sections, bufferSize);

    std::size_t lookups = 0;
    for (const auto& section : sections) {
        if (hasZero(section) || ++lookups > 8) continue;
        const auto keys = ini.Keys(section);
        checkList(section.c_str(), keys, bufferSize);
        for (std::size_t k = 0; k < keys.size() && k < 8; ++k) {
            if (hasZero(keys[k])) continue;
            const std::string expected = ini.Get(section, keys[k]).value();
            check(value(section.c_str(), keys[k].c_str(), bufferSize) == expected.substr(0, bufferSize - 1));
            if (allDigits(expected) && expected.size() <= 9)
                check(win::GetPrivateProfileInt(section.c_str(), keys[k].c_str(), -1, profilePath().c_str()) ==
                      std::stoul(expected));
        }
    }

    // A written number reads back, as a number and as text; no other section changes.
    const std::string written = std::to_string(number);
    check(win::WritePrivateProfileString("Fuzz Numbers", "N", written.c_str(), profilePath().c_str()));
    check(win::GetPrivateProfileInt("fuzz numbers", "n", 7, profilePath().c_str()) == static_cast<std::uint32_t>(number));
    check(value("Fuzz Numbers", "N", 64) == written);
    std::ifstream file(profilePath(), std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto again = win::IniFile::Parse(after);
    lookups = 0;
    for (const auto& section : sections) {
        if (win::EqualNoCase(section, "Fuzz Numbers") || ++lookups > 8) continue;
        const auto keys = ini.Keys(section);
        check(again.Keys(section) == keys);
        for (std::size_t k = 0; k < keys.size() && k < 8; ++k) check(again.Get(section, keys[k]) == ini.Get(section, keys[k]));
    }
    return 0;
}
