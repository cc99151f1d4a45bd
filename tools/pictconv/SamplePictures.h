// SamplePictures.h: small pictures drawn by the program itself, for demonstrations.
#pragma once

#include <string>

// Draws the picture called name ("sunset" or "moon") as a 24-bit .bmp at path; false for an
// unknown name, a file that cannot be written, or an existing file without overwrite.
bool writeSamplePicture(const std::string& name, const std::string& path, bool overwrite);
