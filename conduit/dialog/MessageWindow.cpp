// MessageWindow.cpp
#include "MessageWindow.h"

#include <QMessageBox>

QMessageBox* MakeConduitMessageBox(QWidget* owner, const QString& text, const QString& caption) {
    return new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
}
