// WindowPlacement.cpp: the main window's stored placement, the text "App Window": ten decimal
// numbers separated by commas: show command, flags, minimized x, y, maximized x, y, and the normal
// rectangle's left, right, top, bottom (right before top).
#include "WindowPlacement.h"

#include <cstdio>

std::string FormatPlacement(const WindowPlacement& p) {
    char text[160];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d", p.showCmd, p.flags, p.minX, p.minY, p.maxX, p.maxY,
                  p.left, p.right, p.top, p.bottom);
    return text;
}

std::optional<WindowPlacement> ParsePlacement(const std::string& text) {
    WindowPlacement p;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d", &p.showCmd, &p.flags, &p.minX, &p.minY, &p.maxX, &p.maxY,
                    &p.left, &p.right, &p.top, &p.bottom) != 10)
        return std::nullopt;
    return p;
}

bool PlacementFitsScreen(const WindowPlacement& p, int screenWidth, int screenHeight) {
    return p.left < p.right && p.top < p.bottom && p.left < screenWidth && p.right > 0 && p.top < screenHeight && p.bottom > 0;
}
