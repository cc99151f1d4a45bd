// PngWriter.h: an 8-bit grey picture written as a PNG file.
#pragma once

#include "app/FontPreview.h"

#include <string>

// Writes image to path (replacing it only once complete); false with why set on failure.
bool writePng(const std::string& path, const GreyImage& image, std::string& why);
