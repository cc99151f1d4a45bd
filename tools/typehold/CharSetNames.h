// CharSetNames.h: character sets by number or by the name of their script, as `--charset` takes
// them and `typehold fonts` shows them.
#pragma once

#include <optional>
#include <string>

// "0", "204", "western", "Cyrillic", "central-european", "central european", "chinese_big5": the
// number of the character set; none for anything else (a number must be 0 to 255).
std::optional<int> parseCharSet(const std::string& text);

// The script name of a character set ("Western", "Cyrillic"); "" for an unknown one.
std::string charSetScript(int charSet);

// The names --charset takes, for its help and its error: "western, central-european, ...".
std::string charSetNames();
