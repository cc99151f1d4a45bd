// PrivateProfile.cpp: GetPrivateProfileString, GetPrivateProfileInt and WritePrivateProfileString
// over INI files.
#include "PrivateProfile.h"

#include "AtomicFile.h"
#include "DesktopRoot.h"
#include "FileLock.h"
#include "IniFile.h"
#include "WholeFile.h"
#include "WindowsPath.h"

#include <cctype>
#include <cstring>

namespace win {

namespace {
IniFile readIni(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes) return IniFile::Parse("");
    return IniFile::Parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

std::uint32_t copyOut(const std::string& text, char* buffer, std::uint32_t size) {
    if (buffer == nullptr || size == 0) return 0;
    const std::uint32_t n = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

// Zero-separated names ending in a second zero; a list cut short returns size - 2.
std::uint32_t copyList(const std::vector<std::string>& names, char* buffer, std::uint32_t size) {
    if (buffer == nullptr || size == 0) return 0;
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
    }
    std::uint32_t pos = 0;
    for (const auto& name : names) {
        if (pos + name.size() + 2 > size) {
            // A name that exactly filled the buffer leaves pos at size - 1: nothing more fits, and
            // its own terminator becomes the list's first.
            const std::uint32_t room = pos < size - 2 ? size - 2 - pos : 0;
            std::memcpy(buffer + pos, name.data(), room);
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + pos, name.data(), name.size());
        pos += static_cast<std::uint32_t>(name.size());
        buffer[pos++] = '\0';
    }
    buffer[pos] = '\0';
    if (pos == 0 && size > 1) buffer[1] = '\0';
    return pos;
}
}  // namespace

std::string ProfilePath(const std::string& fileName) {
    if (fileName.find_first_of("/\\") == std::string::npos && fileName.find(':') == std::string::npos)
        return DesktopRoot() + "/Windows/" + fileName;
    return ResolveWindowsPath(fileName);
}

std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                      std::uint32_t size, const char* fileName) {
    const std::string path = ProfilePath(fileName ? fileName : "win.ini");
    IniFile ini;
    {
        const FileLock lock(path + ".lock", false);
        ini = readIni(path);
    }
    if (section == nullptr) return copyList(ini.Sections(), buffer, size);
    if (key == nullptr) return copyList(ini.Keys(section), buffer, size);
    if (const auto value = ini.Get(section, key)) return copyOut(*value, buffer, size);
    std::string fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.pop_back();
    return copyOut(fallback, buffer, size);
}

std::uint32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                                   const char* fileName) {
    return ReadProfileNumber(
        [&](const char* fallback) {
            char text[64];
            GetPrivateProfileString(section, key, fallback, text, sizeof text, fileName);
            return std::string(text);
        },
        static_cast<std::uint32_t>(defaultValue));
}

std::uint32_t ReadProfileNumber(const std::function<std::string(const char* fallback)>& read,
                                std::uint32_t defaultValue) {
    // No stored text starts with this byte, so it tells a missing key from any value.
    const char kMissing[] = "\x01missing";
    const std::string text = read(kMissing);
    return text == kMissing ? defaultValue : ProfileNumber(text);
}

std::uint32_t ProfileNumber(std::string_view text) {
    text = text.substr(0, 63);
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    std::uint32_t value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
        value = value * 10 + static_cast<std::uint32_t>(text[at] - '0');
    return negative ? 0u - value : value;
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* fileName) {
    if (section == nullptr) return false;
    const std::string path = ProfilePath(fileName ? fileName : "win.ini");
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos) MakeFolders(path.substr(0, slash));
    const FileLock lock(path + ".lock", true);
    IniFile ini = readIni(path);
    if (key == nullptr) ini.DeleteSection(section);
    else if (value == nullptr) ini.DeleteKey(section, key);
    else ini.Set(section, key, value);
    const std::string text = ini.Serialise();
    return writeFileAtomically(path, {std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())}, true);
}

}  // namespace win
