// CheckList.h: the list of check marks that fills the styles and the sizes pages of the add-font
// wizard, under its caption.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

// Adds to page its caption and, below, a list that runs down and then across; the two fill the
// page.
inline QListWidget* AddCheckList(QWidget& page, const QString& caption) {
    auto* text = new QLabel(caption, &page);
    auto* list = new QListWidget(&page);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    text->setBuddy(list);
    auto* layout = new QVBoxLayout(&page);
    layout->addWidget(text);
    layout->addWidget(list, 1);
    return list;
}

inline void AddCheckItem(QListWidget& list, const QString& text, bool checked) {
    auto* item = new QListWidgetItem(text, &list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}
