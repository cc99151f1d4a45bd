// MessageWindow.h: the conduit's message box (text, caption, an OK button, no icon) as a window.
#pragma once

#include <QString>

class QMessageBox;
class QWidget;

// The box, not yet shown; the caller owns it.
QMessageBox* MakeConduitMessageBox(QWidget* owner, const QString& text, const QString& caption);
