// RegistryText.cpp: the registry file's reader and writer.
#include "RegistryText.h"

#include "platform/bytes/ByteWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace win {

namespace {
constexpr std::string_view kMagic = "PALMDESK REGISTRY 1";

struct ParseError {
    std::string why;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string escaped(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (b < 0x20 || b >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the closing quote.
std::string readQuoted(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') throw ParseError{"a quoted string was expected"};
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= text.size()) break;
        if (text[pos] == 'x') {
            if (pos + 2 >= text.size()) break;
            const int hi = hexDigit(text[pos + 1]), lo = hexDigit(text[pos + 2]);
            if (hi < 0 || lo < 0) throw ParseError{"a bad \\x escape"};
            out += static_cast<char>(hi << 4 | lo);
            pos += 2;
        } else if (text[pos] == '\\' || text[pos] == '"') {
            out += text[pos];
        } else {
            throw ParseError{"an unknown escape"};
        }
    }
    throw ParseError{"a string without its closing quote"};
}

std::vector<std::uint8_t> readHexBytes(std::string_view text) {
    std::vector<std::uint8_t> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ',' || text[pos] == ' ') {
            ++pos;
            continue;
        }
        if (pos + 1 >= text.size()) throw ParseError{"an odd hex digit"};
        const int hi = hexDigit(text[pos]), lo = hexDigit(text[pos + 1]);
        if (hi < 0 || lo < 0) throw ParseError{"a bad hex byte"};
        out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
        pos += 2;
    }
    return out;
}

std::string hexBytes(const std::vector<std::uint8_t>& data) {
    std::string out;
    char byte[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, i ? ",%02x" : "%02x", data[i]);
        out += byte;
    }
    return out;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

RegistryValue parseValueLine(std::string_view line) {
    RegistryValue v;
    std::size_t pos = 0;
    v.name = readQuoted(line, pos);
    if (pos >= line.size() || line[pos] != '=') throw ParseError{"a value without \"=\""};
    const std::string_view rest = line.substr(pos + 1);
    if (!rest.empty() && rest[0] == '"') {
        std::size_t p = 0;
        const std::string s = readQuoted(rest, p);
        if (!trimmed(rest.substr(p)).empty()) throw ParseError{"text after a string value"};
        v.type = REG_SZ;
        v.data.assign(s.begin(), s.end());
        v.data.push_back(0);
    } else if (rest.substr(0, 6) == "dword:") {
        const std::string_view digits = rest.substr(6);
        if (digits.size() != 8) throw ParseError{"a dword needs eight hex digits"};
        std::uint32_t value = 0;
        for (const char c : digits) {
            const int d = hexDigit(c);
            if (d < 0) throw ParseError{"a bad dword"};
            value = value << 4 | static_cast<std::uint32_t>(d);
        }
        v.type = REG_DWORD;
        bytes::ByteWriter(v.data, std::endian::little).writeU32(value);
    } else if (rest.substr(0, 4) == "hex:") {
        v.type = REG_BINARY;
        v.data = readHexBytes(rest.substr(4));
    } else if (rest.substr(0, 4) == "hex(") {
        const auto close = rest.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) throw ParseError{"a bad hex(type)"};
        std::uint64_t type = 0;
        for (const char c : rest.substr(4, close - 4)) {
            const int d = hexDigit(c);
            if (d < 0) throw ParseError{"a bad value type"};
            type = type << 4 | static_cast<std::uint64_t>(d);
        }
        if (type > 0xFFFFFFFFu) throw ParseError{"a value type past 32 bits"};
        v.type = static_cast<std::uint32_t>(type);
        v.data = readHexBytes(rest.substr(close + 2));
    } else {
        throw ParseError{"an unknown kind of value"};
    }
    return v;
}

std::string valueLine(const RegistryValue& v) {
    std::string line = "\"" + escaped(v.name) + "\"=";
    const bool terminatedText = v.type == REG_SZ && !v.data.empty() && v.data.back() == 0;
    bool embeddedZero = false;
    for (std::size_t i = 0; terminatedText && i + 1 < v.data.size(); ++i) embeddedZero = embeddedZero || v.data[i] == 0;
    if (terminatedText && !embeddedZero) {
        line += "\"" + escaped(std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1)) + "\"";
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        char dword[16];
        std::snprintf(dword, sizeof dword, "dword:%08x", unsigned(bytes::loadU32LE(v.data.data())));
        line += dword;
    } else if (v.type == REG_BINARY) {
        line += "hex:" + hexBytes(v.data);
    } else {
        char type[24];
        std::snprintf(type, sizeof type, "hex(%x):", v.type);
        line += type + hexBytes(v.data);
    }
    return line;
}
}  // namespace

std::string NormaliseKeyPath(std::string_view path) {
    std::string out;
    for (const char c : path) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out += c;
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

std::optional<RegistryTree> RegistryTree::Parse(std::string_view text, std::string* why) {
    RegistryTree tree;
    try {
        std::size_t lineNumber = 0;
        RegistryKeyData* current = nullptr;
        bool sawMagic = false;
        while (!text.empty()) {
            const auto end = text.find('\n');
            const std::string_view raw = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            ++lineNumber;
            const std::string_view line = trimmed(raw);
            try {
                if (line.empty() || line[0] == ';') continue;
                if (!sawMagic) {
                    if (line != kMagic) throw ParseError{"not a registry file"};
                    sawMagic = true;
                    continue;
                }
                if (line[0] == '[') {
                    if (line.back() != ']') throw ParseError{"a key without its closing bracket"};
                    const std::string path = NormaliseKeyPath(line.substr(1, line.size() - 2));
                    if (path.empty()) throw ParseError{"an empty key"};
                    current = &tree.CreateKey(path);
                    continue;
                }
                if (current == nullptr) throw ParseError{"a value before any key"};
                RegistryValue value = parseValueLine(line);
                if (RegistryValue* existing = FindValue(*current, value.name)) *existing = std::move(value);
                else current->values.push_back(std::move(value));
            } catch (const ParseError& e) {
                throw ParseError{"line " + std::to_string(lineNumber) + ": " + e.why};
            }
        }
        if (!sawMagic && !tree.keys_.empty()) throw ParseError{"not a registry file"};
    } catch (const ParseError& e) {
        if (why) *why = e.why;
        return std::nullopt;
    }
    return tree;
}

std::string RegistryTree::Serialise() const {
    std::string out = std::string(kMagic) + "\n; HKEY_CURRENT_USER of the palmdesk stand-in desktop\n";
    for (const auto& key : keys_) {
        out += "\n[" + key.path + "]\n";
        for (const auto& v : key.values) out += valueLine(v) + "\n";
    }
    return out;
}

RegistryKeyData* RegistryTree::FindKey(std::string_view path) {
    const std::string wanted = NormaliseKeyPath(path);
    for (auto& key : keys_)
        if (EqualNoCase(key.path, wanted)) return &key;
    return nullptr;
}

const RegistryKeyData* RegistryTree::FindKey(std::string_view path) const {
    return const_cast<RegistryTree*>(this)->FindKey(path);
}

RegistryKeyData& RegistryTree::CreateKey(std::string_view path) {
    const std::string wanted = NormaliseKeyPath(path);
    // Parents first, so that every key of the tree has its chain of parents; a key made below an
    // existing one keeps the case that one was made with.
    std::string actual;
    std::size_t start = 0;
    while (start <= wanted.size()) {
        const std::size_t slash = std::min(wanted.find('\\', start), wanted.size());
        const std::string prefix = wanted.substr(0, slash);
        if (const RegistryKeyData* existing = FindKey(prefix)) {
            actual = existing->path;
        } else {
            actual += (actual.empty() ? "" : "\\") + wanted.substr(start, slash - start);
            keys_.push_back({actual, {}});
        }
        start = slash + 1;
    }
    return *FindKey(wanted);
}

void RegistryTree::DeleteKey(std::string_view path) {
    const std::string wanted = NormaliseKeyPath(path);
    keys_.erase(std::remove_if(keys_.begin(), keys_.end(), [&](const auto& k) { return EqualNoCase(k.path, wanted); }),
                keys_.end());
}

RegistryValue* RegistryTree::FindValue(RegistryKeyData& key, std::string_view name) {
    for (auto& v : key.values)
        if (EqualNoCase(v.name, name)) return &v;
    return nullptr;
}

const RegistryValue* RegistryTree::FindValue(const RegistryKeyData& key, std::string_view name) {
    return FindValue(const_cast<RegistryKeyData&>(key), name);
}

}  // namespace win
