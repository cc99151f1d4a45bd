// WholeCaption.cpp: widths that keep a window's caption whole.
#include "WholeCaption.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

namespace {
// Title bars are drawn in a bold face a little larger than the windows' own text; their icon and
// buttons take about four squares of twice the text's height.
constexpr double kTitleFontScale = 1.2;
constexpr int kTitleBarSquares = 4;
}  // namespace

int WholeCaptionWidth(const QWidget& window) {
    const QString title = window.windowTitle().isEmpty() ? QGuiApplication::applicationDisplayName() : window.windowTitle();
    QFont font = window.font();
    font.setBold(true);
    if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * kTitleFontScale);
    else font.setPixelSize(static_cast<int>(font.pixelSize() * kTitleFontScale));
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + kTitleBarSquares * 2 * metrics.height();
}

void KeepCaptionWhole(QWidget& window) {
    window.setMinimumWidth(std::max(window.minimumWidth(), WholeCaptionWidth(window)));
}

void KeepCaptionWhole(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    // The box's layout has margins of its own; the spacer needs only the rest.
    const QMargins margins = grid->contentsMargins();
    const int width = WholeCaptionWidth(box) - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}
