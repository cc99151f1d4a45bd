// WholeCaption.h: small windows (message boxes, the progress dialog) are made wide enough for
// the caption a window manager draws over them, so that it is never cut off or elided.
#pragma once

class QMessageBox;
class QWidget;

// The width a window needs for its whole caption: the title as the window manager shows it (the
// application's name for an empty one) in a bold title font, plus room for the window icon and
// the title bar's three buttons. In device-independent pixels, so it holds at any scale.
int WholeCaptionWidth(const QWidget& window);
// Keeps window at least WholeCaptionWidth wide.
void KeepCaptionWhole(QWidget& window);
// The same for a message box, which sizes itself when shown: a spacer across its layout holds it
// at that width.
void KeepCaptionWhole(QMessageBox& box);
