// PictureNames.h: the names a picture has on both sides. On the handheld a picture database's
// name is up to 31 bytes of the handheld's code page (Windows-1252 on Western handhelds); on the
// desktop it is a UTF-8 file name in the sync folder. The two mappings are made so that a
// handheld name comes back as the same name, and a file name comes back as the same file.
//
// Towards the desktop every byte becomes its character, except what a file name cannot hold or
// what could name something outside the folder: control bytes, / \ : * ? " < > |, the bytes that
// have no character in the code page, and the names "." and "..". Those become %XX (upper-case
// hex). A "%" that is followed by such an escape's digits becomes %25, so that no handheld name
// is mistaken for another; every other "%" stays as it is.
//
// A file name's character that the code page lacks ("日") is kept on the handheld as the escapes
// of its UTF-8 bytes ("%E6%97%A5"), and such a run of escapes becomes the character again on the
// desktop. (So a file that is itself named with such escapes comes back with the character.)
#pragma once

#include <cstddef>
#include <string>

inline constexpr std::size_t kMaxDatabaseName = 31;

// The file name (without ".bmp") for a handheld database name.
std::string FileNameForDatabase(const std::string& name);

// The handheld name for a file name without its extension: the escapes undone and the text
// turned into the handheld's code page, when the file name is exactly what FileNameForDatabase
// makes of that name; otherwise the file name taken literally (HandheldNameOf). Cut to 31 bytes
// on a character boundary.
std::string DatabaseNameFromFile(const std::string& fileStem);

// UTF-8 text in the handheld's code page, a character the code page lacks as the escapes of its
// UTF-8 bytes, cut to at most maxBytes without splitting a character (text that is not UTF-8 is
// taken as bytes).
std::string HandheldNameOf(const std::string& text, std::size_t maxBytes);
