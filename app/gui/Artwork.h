// Artwork.h: the converter's own pictures, drawn in code: the logo (a handheld showing a bitmap
// "T"), the toolbar images and the program icon.
#pragma once

#include <QIcon>
#include <QPixmap>

enum class ToolbarImage { New, Open, Save, About };

// The logo at the given height in pixels (its width follows the fixed 3:2 shape).
QPixmap ConverterLogo(int height);
// A 16 x 15 toolbar image.
QPixmap ToolbarPixmap(ToolbarImage image);
QIcon ProgramIcon();
