// SDI_THView.cpp: the font list, its buttons and the preview.
#include "SDI_THView.h"

#include "AddFontWizard.h"
#include "AppMessageBox.h"
#include "FontChooser.h"
#include "FontDetailsDlg.h"
#include "FontPreviewPane.h"
#include "MainFrm.h"
#include "UserDlg.h"
#include "WaitCursor.h"
#include "app/AddGroupBatch.h"
#include "app/FontListActions.h"
#include "core/FontDoc.h"
#include "platform/gdi/CodePages.h"
#include "resources/converter/ConverterStrings.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kEntryRole = Qt::UserRole;

FontEntry* entryOf(const QTreeWidgetItem* item) {
    return item ? reinterpret_cast<FontEntry*>(item->data(0, kEntryRole).value<quintptr>()) : nullptr;
}

QString text(std::uint32_t id) { return QString::fromStdString(converter::LoadConverterString(id)); }

// A name or style of the document, held in its code page.
QString shown(const std::string& bytes, std::uint32_t codePage) {
    return QString::fromStdString(gdi::CodePageToUtf8(bytes, codePage));
}
}  // namespace

SDI_THView::SDI_THView(MainFrm& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
    setObjectName("form129");
    list_ = new QTreeWidget(this);
    list_->setColumnCount(3);
    list_->setHeaderLabels({text(converter::kStrColumnName), text(converter::kStrColumnStyle), text(converter::kStrColumnSize)});
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->header()->setSectionsMovable(false);
    list_->header()->setStretchLastSection(true);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { OnEdit(); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &SDI_THView::ShowSelectedPreview);
    // The keys of a list in a file manager: Delete removes, Enter and F2 edit the selected font.
    // Taken before the list's own handling, which would start editing a cell on F2.
    list_->installEventFilter(this);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = ContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(list_->viewport()->mapToGlobal(at));
    });

    struct ButtonSpec {
        QPushButton* SDI_THView::*member;
        const char* label;
        void (SDI_THView::*handler)();
    };
    const ButtonSpec specs[] = {
        {&SDI_THView::addFont_, "Add Font", &SDI_THView::OnAddFont},
        {&SDI_THView::addGroup_, "Add Group", &SDI_THView::OnAddGroup},
        {&SDI_THView::delete_, "Delete", &SDI_THView::OnDelete},
        {&SDI_THView::edit_, "Edit", &SDI_THView::OnEdit},
        {&SDI_THView::install_, "&Install", &SDI_THView::OnInstall},
    };
    auto* buttons = new QVBoxLayout;
    for (const ButtonSpec& kind : specs) {
        auto* button = new QPushButton(tr(kind.label), this);
        this->*kind.member = button;
        button->setMinimumWidth(96);
        connect(button, &QPushButton::clicked, this, kind.handler);
        buttons->addWidget(button);
    }
    buttons->addStretch();

    preview_ = new FontPreviewPane(this);
    auto* left = new QVBoxLayout;
    left->addWidget(list_, 1);
    left->addWidget(preview_);
    // The list takes every change of size; the buttons keep their distance from the right edge.
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
}

QPushButton* SDI_THView::Button(int id) const {
    switch (id) {
    case IDC_ADD_FONT: return addFont_;
    case IDC_ADD_GROUP: return addGroup_;
    case IDC_DELETE: return delete_;
    case IDC_EDIT: return edit_;
    case IDC_INSTALL: return install_;
    default: return nullptr;
    }
}

bool SDI_THView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier) return false;
    switch (key->key()) {
    case Qt::Key_Delete: OnDelete(); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2: OnEdit(); return true;
    default: return false;
    }
}

QMenu* SDI_THView::ContextMenu() {
    auto* menu = new QMenu(list_);
    menu->setObjectName("listContextMenu");
    const bool any = !list_->selectedItems().isEmpty();
    menu->addAction(tr("&Edit"), this, &SDI_THView::OnEdit)->setEnabled(list_->selectedItems().size() == 1);
    menu->addAction(tr("&Delete"), this, &SDI_THView::OnDelete)->setEnabled(any);
    menu->addSeparator();
    menu->addAction(tr("&Install..."), this, &SDI_THView::OnInstall)->setEnabled(list_->topLevelItemCount() > 0);
    return menu;
}

void SDI_THView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // After the layout has given the list its new width.
    QTimer::singleShot(0, this, &SDI_THView::SizeColumns);
}

void SDI_THView::SizeColumns() {
    // Name and Style take four tenths of the list's width each, Size the rest.
    const int w = list_->viewport()->width() / 10;
    list_->setColumnWidth(0, 4 * w);
    list_->setColumnWidth(1, 4 * w);
}

void SDI_THView::SetDocument(CFontDoc* document) {
    doc_ = document;
    RefreshList();
}

void SDI_THView::RefreshList() {
    list_->setUpdatesEnabled(false);
    list_->clear();
    if (doc_) {
        CFontList& fonts = doc_->Fonts();
        fonts.Sort();
        QList<QTreeWidgetItem*> items;
        for (std::size_t i = 0; i < fonts.Count(); ++i) {
            FontEntry* entry = fonts.At(i);
            auto* item = new QTreeWidgetItem({shown(entry->name, fonts.CodePage()), shown(entry->style, fonts.CodePage()),
                                              QString::number(entry->size)});
            item->setData(0, kEntryRole, QVariant::fromValue(reinterpret_cast<quintptr>(entry)));
            items.push_back(item);
        }
        list_->addTopLevelItems(items);
    }
    list_->setUpdatesEnabled(true);
    ShowSelectedPreview();
}

QTreeWidgetItem* SDI_THView::ItemOf(const FontEntry* entry) const {
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (entryOf(list_->topLevelItem(i)) == entry) return list_->topLevelItem(i);
    return nullptr;
}

void SDI_THView::SelectRecord(const FontEntry* entry) {
    QTreeWidgetItem* item = ItemOf(entry);
    if (!item) return;
    item->setSelected(true);
    list_->setCurrentItem(item, 0, QItemSelectionModel::Select);
    list_->scrollToItem(item);
}

std::vector<FontEntry*> SDI_THView::SelectedEntries() const {
    std::vector<FontEntry*> entries;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (list_->topLevelItem(i)->isSelected()) entries.push_back(entryOf(list_->topLevelItem(i)));
    return entries;
}

void SDI_THView::ShowSelectedPreview() {
    const std::vector<FontEntry*> selected = SelectedEntries();
    QString file;
    if (doc_) file = QString::fromStdString(doc_->GetPathName().empty() ? doc_->GetTitle() : doc_->GetPathName());
    preview_->ShowEntry(selected.empty() ? nullptr : selected.front(), file);
}

void SDI_THView::DocumentChanged() {
    if (doc_) doc_->MarkModified(true);
    frame_.RefreshCommandStates();
}

void SDI_THView::OnAddFont() {
    if (!doc_) return;
    ConverterContext& context = frame_.Context();
    const std::optional<Combination> chosen = ChooseCatalogFont(window(), context.catalog, context.engine);
    if (!chosen) return;
    // The face as the catalog enumerated it, in the script chosen: the record is made from it.
    const FontRequest request = RequestFor(*chosen);

    FontDetails proposed = ProposedDetails(request);
    proposed.codePage = doc_->Fonts().CodePage();
    FontDetailsDlg details(proposed, window());
    if (details.exec() != QDialog::Accepted) return;
    repaint();
    FontEntry* added = nullptr;
    Outcome refusal = Outcome::Done();
    {
        WaitCursor wait;
        added = AddSingleFont(context.engine, *doc_, request, details.Details(), refusal);
    }
    if (!added) {
        ShowOutcome(refusal);
        return;
    }
    RefreshList();
    SelectRecord(added);
    DocumentChanged();
}

void SDI_THView::OnAddGroup() {
    if (!doc_) return;
    ConverterContext& context = frame_.Context();
    AddFontWizard wizard(context.settings, context.catalog, context.engine, context.codePage, &frame_);
    if (wizard.exec() != QDialog::Accepted) return;
    repaint();
    context.settings.Save(context.store);

    // The batch goes into a list of its own; the document sees only a batch that completed.
    CFontList batch;
    batch.SetCodePage(context.codePage);
    if (!batch.New()) return;
    if (!BatchConvert(batch, wizard.SelectedFonts(), context, &frame_) || batch.Count() == 0) return;

    Outcome refusals = Outcome::Done();
    FontEntry* first = nullptr;
    {
        WaitCursor wait;
        first = CopyBatchInto(batch, doc_->Fonts(), &refusals);
    }
    ShowOutcome(refusals);
    WaitCursor wait;
    RefreshList();
    SelectRecord(first);
    doc_->MarkModified(true);
    frame_.RefreshCommandStates();
}

void SDI_THView::OnDelete() {
    if (!doc_) return;
    std::vector<QTreeWidgetItem*> items;
    std::vector<FontEntry*> selected;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (!item->isSelected()) continue;
        items.push_back(item);
        selected.push_back(entryOf(item));
    }
    Outcome refusal = Outcome::Done();
    const auto deleted = DeleteFonts(
        *doc_, selected, [](const std::string& question) { return AppMessageBox(question, win::MB_YESNO) == win::IDYES; },
        refusal);
    if (!deleted) {
        ShowOutcome(refusal);
        return;
    }
    {
        // The deleted entries are gone: removing their items must not show another selected
        // item's entry in the preview before all of them have left the list.
        const QSignalBlocker quiet(list_);
        preview_->ShowEntry(nullptr);
        // Only the deleted items leave the list; the others keep their order.
        for (std::size_t position : *deleted) delete items[position];
    }
    ShowSelectedPreview();
    DocumentChanged();
}

void SDI_THView::OnEdit() {
    if (!doc_) return;
    Outcome refusal = Outcome::Done();
    FontEntry* entry = FontToEdit(*doc_, SelectedEntries(), refusal);
    if (!entry) {
        ShowOutcome(refusal);
        return;
    }
    FontDetailsDlg details(DetailsOf(*doc_, *entry), window());
    if (details.exec() != QDialog::Accepted) return;
    RenameFont(*doc_, *entry, details.Details());
    RefreshList();
    SelectRecord(entry);
    DocumentChanged();
}

void SDI_THView::OnInstall() {
    if (!doc_) return;
    DialogUserChooser chooser(window());
    ConverterContext& context = frame_.Context();
    ShowOutcome(InstallDocument([this] { return frame_.Commands().Save(); }, *doc_, context.users, context.aide, chooser));
    frame_.RefreshCommandStates();
}
