// HelpWindow.h: the conduit's help page in a window of its own, beside the dialog.
#pragma once

#include <QTextBrowser>

class HelpWindow final : public QTextBrowser {
    Q_OBJECT
public:
    HelpWindow(const QString& file, QWidget* owner);
};
