// IniFile.h: the text of an INI file, edited as the private-profile functions do: sections and
// keys compare without regard to case, values lose surrounding blanks and one pair of quotes, and
// a rewrite keeps every other line (comments, blank lines, other sections) as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

class IniFile {
public:
    // Any text is an INI file; lines that are neither sections nor "key=value" are kept as they are.
    static IniFile Parse(std::string_view text);
    std::string Serialise() const;

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Section names in file order; key names of a section in file order.
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;

    // Sets a value, adding the section at the end and the key at the end of its section.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    void DeleteKey(std::string_view section, std::string_view key);
    void DeleteSection(std::string_view section);

private:
    struct Line {
        std::string text;     // as read or written
        std::string section;  // for a section header: its name
        std::string key;      // for a key line: its name
        bool isSection = false;
        bool isKey = false;
    };
    // Index of the section header, or of nothing (-1).
    long FindSection(std::string_view section) const;
    // Index one past the section's last line.
    std::size_t SectionEnd(std::size_t header) const;

    std::vector<Line> lines_;
};

}  // namespace win
