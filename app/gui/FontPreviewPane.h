// FontPreviewPane.h: the selected font drawn from its record as the handheld draws it: a line
// of text in single density and, when the record has it, in double density, at whole zooms.
#pragma once

#include <QWidget>

class QLabel;
class QScrollArea;
struct FontEntry;

class FontPreviewPane final : public QWidget {
    Q_OBJECT
public:
    explicit FontPreviewPane(QWidget* parent = nullptr);

    // Draws entry's record; none (or a record without a font) clears the pane. A record no
    // handheld could hold is not drawn: the pane says why, naming file (the document) and the font.
    void ShowEntry(const FontEntry* entry, const QString& file = {});
    bool HasDoubleDensity() const;
    bool IsEmpty() const;

private:
    QLabel* caption_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* single_ = nullptr;
    QLabel* twice_ = nullptr;
};
