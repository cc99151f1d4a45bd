// HelpWindow.cpp
#include "HelpWindow.h"

#include <QUrl>

HelpWindow::HelpWindow(const QString& file, QWidget* owner) : QTextBrowser(owner) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setOpenExternalLinks(true);
    setSource(QUrl::fromLocalFile(file));
    setWindowTitle(documentTitle().isEmpty() ? QStringLiteral("Help") : documentTitle());
    resize(520, 560);
}
