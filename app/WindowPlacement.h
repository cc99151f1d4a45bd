// WindowPlacement.h: the main window's stored placement, the text "App Window": ten decimal
// numbers separated by commas: show command, flags, minimized x, y, maximized x, y, and the normal
// rectangle's left, right, top, bottom (right before top).
#pragma once

#include <optional>
#include <string>

struct WindowPlacement {
    int showCmd = 0, flags = 0;
    int minX = 0, minY = 0, maxX = 0, maxY = 0;
    int left = 0, right = 0, top = 0, bottom = 0;
};

std::string FormatPlacement(const WindowPlacement& placement);
// None unless the text yields exactly ten numbers.
std::optional<WindowPlacement> ParsePlacement(const std::string& text);
// Whether the normal rectangle shares any pixel with the screen (0, 0, width, height).
bool PlacementFitsScreen(const WindowPlacement& placement, int screenWidth, int screenHeight);
