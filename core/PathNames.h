// PathNames.h: the parts of a path the document shows and proposes.
#pragma once

#include <string>
#include <string_view>

// The file name without folder and extension ("/home/ann/Fonts.pdb" -> "Fonts").
std::string fileTitle(std::string_view path);

// The file name with its extension but without folder.
std::string fileNameOf(std::string_view path);

// Whether two paths name one file as the file system sees it: the same text, or two existing
// entries that are one file (through a link, "./", or a file system that ignores case). Paths
// that differ only in case are two files on a file system that tells case apart.
bool SameFilePath(const std::string& a, const std::string& b);

// A title as a proposed file name: cut before the first character a Windows file name cannot hold
// (\ / : * ? " < > |).
std::string proposedFileName(std::string_view title);
