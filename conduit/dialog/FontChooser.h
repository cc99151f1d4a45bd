// FontChooser.h: the open-file dialog of Install Fonts: several TrueType files at once, "TTF"
// files only (matched without regard to case), starting in the font folder.
#pragma once

#include "conduit/InstallFonts.h"

#include <QPointer>
#include <QWidget>

class QFileDialog;

// The dialog itself, not yet shown; the caller owns it.
QFileDialog* MakeFontFileDialog(QWidget* owner, const QString& folder);

class FontChooser final : public FontFileChooser {
public:
    explicit FontChooser(QWidget* owner) : owner_(owner) {}
    std::optional<std::vector<std::string>> choose(const std::string& folder) override;

private:
    QPointer<QWidget> owner_;
};
