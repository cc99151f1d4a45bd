// CentreOn.h: the converter's dialogs and message boxes open in the middle of the window that
// owns them.
#pragma once

#include <QWidget>

// Moves window so that its middle lies on the middle of owner's top-level window (nothing
// without an owner).
inline void CentreOn(QWidget* window, const QWidget* owner) {
    if (owner) window->move(owner->window()->frameGeometry().center() - window->rect().center());
}
