// SDI_THView.h: the main window's client area (form 129): the list of the document's fonts with
// the buttons Add Font, Add Group, Delete, Edit and Install, and below it a preview of the
// selected font as the handheld draws it.
#pragma once

#include <QWidget>

#include <vector>

class CFontDoc;
class FontPreviewPane;
class MainFrm;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct FontEntry;

class SDI_THView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFormId = 129;
    static constexpr int IDC_LIST = 1000;
    static constexpr int IDC_ADD_FONT = 1001;
    static constexpr int IDC_DELETE = 1002;
    static constexpr int IDC_EDIT = 1003;
    static constexpr int IDC_ADD_GROUP = 1005;
    static constexpr int IDC_INSTALL = 1006;

    SDI_THView(MainFrm& frame, QWidget* parent = nullptr);

    // The document shown (not owned); refreshes the list.
    void SetDocument(CFontDoc* document);
    CFontDoc* Document() const { return doc_; }

    // Sorts the document's fonts and lists them in that order.
    void RefreshList();
    // Selects and focuses the item of entry, if it is listed.
    void SelectRecord(const FontEntry* entry);
    // The selected entries in list order.
    std::vector<FontEntry*> SelectedEntries() const;

    QTreeWidget* List() const { return list_; }
    // The button of control ID id; null for another ID.
    QPushButton* Button(int id) const;
    FontPreviewPane* Preview() const { return preview_; }

    void OnAddFont();
    void OnAddGroup();
    void OnDelete();
    void OnEdit();
    void OnInstall();
    // The list's context menu (Edit, Delete, Install), as the right button opens it; the caller
    // owns it.
    QMenu* ContextMenu();
    // Name and Style take four tenths of the list's width each, Size the rest; done again
    // whenever the view changes size.
    void SizeColumns();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // After every change: the document is modified and the Save command follows.
    void DocumentChanged();
    QTreeWidgetItem* ItemOf(const FontEntry* entry) const;
    void ShowSelectedPreview();

    MainFrm& frame_;
    CFontDoc* doc_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QPushButton* addFont_ = nullptr;
    QPushButton* addGroup_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* install_ = nullptr;
    FontPreviewPane* preview_ = nullptr;
};
