// Fuzz target: the INI reader and its edits. Any text reads and writes back into a text that reads
// the same; setting a value makes it readable and changes one line (or adds the key, or the
// section and the key, at the end), deleting a key removes one line, deleting a section removes
// its lines, and every other line stays as it was.
#include "platform/win/IniFile.h"

#include "platform/win/EqualNoCase.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
using Lines = std::vector<std::string>;

Lines linesOf(const win::IniFile& ini) {
    Lines lines;
    const std::string text = ini.Serialise();
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) std::abort();  // every line ends in CR LF
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

void check(bool ok) {
    if (!ok) std::abort();
}

// after is before with `removed` lines from index `at` taken out and `added` put in their place.
bool replacedAt(const Lines& before, const Lines& after, std::size_t at, std::size_t removed, const Lines& added) {
    if (at + removed > before.size() || after.size() != before.size() - removed + added.size()) return false;
    return std::equal(before.begin(), before.begin() + std::ptrdiff_t(at), after.begin()) &&
           std::equal(added.begin(), added.end(), after.begin() + std::ptrdiff_t(at)) &&
           std::equal(before.begin() + std::ptrdiff_t(at + removed), before.end(),
                      after.begin() + std::ptrdiff_t(at + added.size()));
}

// The first index where two line lists differ.
std::size_t firstDifference(const Lines& a, const Lines& b) {
    return std::size_t(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto ini = win::IniFile::Parse(text);
    const auto sections = ini.Sections();
    // Each lookup walks the file once; a few hundred of them keep a run fast on any input.
    std::size_t lookups = 0;
    for (const auto& section : sections)
        for (const auto& key : ini.Keys(section))
            if (++lookups < 256) check(ini.Get(section, key).has_value());

    const Lines original = linesOf(ini);
    check(linesOf(win::IniFile::Parse(ini.Serialise())) == original);

    // Set: one line replaced, or one inserted, or the section and the key appended.
    const bool hadSection = std::any_of(sections.begin(), sections.end(),
                                        [](const std::string& s) { return win::EqualNoCase(s, "Pictaro"); });
    ini.Set("Pictaro", "SyncFolder", "C:\\Pictaro");
    check(ini.Get("pictaro", "syncfolder") == "C:\\Pictaro");
    const Lines set = linesOf(ini);
    const std::size_t at = firstDifference(original, set);
    if (!hadSection)
        check(replacedAt(original, set, original.size(), 0, {"[Pictaro]", "SyncFolder=C:\\Pictaro"}));
    else if (at < set.size())  // (a key line that already read "SyncFolder=C:\Pictaro" stays the same)
        check(replacedAt(original, set, at, 1, {set[at]}) || replacedAt(original, set, at, 0, {set[at]}));

    // DeleteKey: one line goes.
    ini.DeleteKey("Pictaro", "SyncFolder");
    const Lines deleted = linesOf(ini);
    check(replacedAt(set, deleted, firstDifference(set, deleted), 1, {}));

    // DeleteSection: a run of lines from the section's header goes, and nothing else.
    ini.DeleteSection("Pictaro");
    const Lines gone = linesOf(ini);
    check(gone.size() < deleted.size());
    const std::size_t from = firstDifference(deleted, gone);
    check(replacedAt(deleted, gone, from, deleted.size() - gone.size(), {}));
    check(linesOf(win::IniFile::Parse(ini.Serialise())) == gone);
    return 0;
}
