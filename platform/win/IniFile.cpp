// IniFile.cpp: the text of an INI file, edited as the private-profile functions do: sections and
// keys compare without regard to case, values lose surrounding blanks and one pair of quotes, and a
// rewrite keeps every other line (comments, blank lines, other sections) as it was.
#include "IniFile.h"

#include "EqualNoCase.h"

namespace win {

namespace {
std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string_view unquoted(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return v.substr(1, v.size() - 2);
    return v;
}
}  // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        Line line{std::string(raw), {}, {}, false, false};
        const std::string_view t = trim(raw);
        if (!t.empty() && t.front() == '[') {
            const auto close = t.find(']');
            if (close != std::string_view::npos) {
                line.isSection = true;
                line.section = std::string(trim(t.substr(1, close - 1)));
            }
        } else if (!t.empty() && t.front() != ';') {
            const auto eq = t.find('=');
            if (eq != std::string_view::npos) {
                line.isKey = true;
                line.key = std::string(trim(t.substr(0, eq)));
            }
        }
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

std::string IniFile::Serialise() const {
    std::string out;
    for (const auto& line : lines_) out += line.text + "\r\n";
    return out;
}

long IniFile::FindSection(std::string_view section) const {
    const std::string_view wanted = trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].isSection && EqualNoCase(lines_[i].section, wanted)) return static_cast<long>(i);
    return -1;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !lines_[i].isSection) ++i;
    return i;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const long header = FindSection(section);
    if (header < 0) return std::nullopt;
    const std::string_view wanted = trim(key);
    const std::size_t end = SectionEnd(std::size_t(header));
    for (std::size_t i = std::size_t(header) + 1; i < end; ++i) {
        if (!lines_[i].isKey || !EqualNoCase(lines_[i].key, wanted)) continue;
        const std::string_view text = lines_[i].text;
        return std::string(unquoted(trim(text.substr(text.find('=') + 1))));
    }
    return std::nullopt;
}

std::vector<std::string> IniFile::Sections() const {
    std::vector<std::string> out;
    for (const auto& line : lines_)
        if (line.isSection) out.push_back(line.section);
    return out;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
    std::vector<std::string> out;
    const long header = FindSection(section);
    if (header < 0) return out;
    const std::size_t end = SectionEnd(std::size_t(header));
    for (std::size_t i = std::size_t(header) + 1; i < end; ++i)
        if (lines_[i].isKey) out.push_back(lines_[i].key);
    return out;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    long header = FindSection(section);
    if (header < 0) {
        lines_.push_back({"[" + std::string(trim(section)) + "]", std::string(trim(section)), {}, true, false});
        header = static_cast<long>(lines_.size() - 1);
    }
    const std::string_view wanted = trim(key);
    const std::size_t end = SectionEnd(std::size_t(header));
    Line line{std::string(wanted) + "=" + std::string(value), {}, std::string(wanted), false, true};
    for (std::size_t i = std::size_t(header) + 1; i < end; ++i)
        if (lines_[i].isKey && EqualNoCase(lines_[i].key, wanted)) {
            line.key = lines_[i].key;
            line.text = lines_[i].key + "=" + std::string(value);
            lines_[i] = std::move(line);
            return;
        }
    // After the section's last key, before the blank lines that separate it from the next one.
    std::size_t at = end;
    while (at > std::size_t(header) + 1 && trim(lines_[at - 1].text).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    const long header = FindSection(section);
    if (header < 0) return;
    const std::string_view wanted = trim(key);
    const std::size_t end = SectionEnd(std::size_t(header));
    for (std::size_t i = std::size_t(header) + 1; i < end; ++i)
        if (lines_[i].isKey && EqualNoCase(lines_[i].key, wanted)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

void IniFile::DeleteSection(std::string_view section) {
    const long header = FindSection(section);
    if (header < 0) return;
    lines_.erase(lines_.begin() + header, lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(std::size_t(header))));
}

}  // namespace win
