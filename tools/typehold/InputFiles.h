// InputFiles.h: the checks a command makes of the files it is given before it touches any, so
// that a wrong file is named with its cause ("no such file", "not a Palm database: it is a PNG
// picture") rather than with the file library's generic error.
#pragma once

#include <optional>
#include <string>

enum class Expected { PalmDatabase, TypeholdFile };

// Why path is not a readable file of the expected kind; none when it is.
std::optional<std::string> whyNotReadable(const std::string& path, Expected expected);

// Throws a CommandError with the cause when path is not a readable file of the expected kind;
// with nameFile the text starts with path (for a file other than the command's subject).
void requireInput(const std::string& path, Expected expected, bool nameFile = false);

// Throws a CommandError when a new file cannot be written at path: a folder, a missing folder, or
// an existing file without overwrite.
void requireNewOutput(const std::string& path, bool overwrite, bool nameFile = false);

// Whether a and b name the same existing file.
bool sameFile(const std::string& a, const std::string& b);
