// MainFrm.h: the converter's main window: the menus and their command IDs, the toolbar, the
// banner status bar and the font list view; it owns the current document through the document
// commands.
#pragma once

#include "AppMessageBox.h"
#include "ConverterContext.h"
#include "app/DocumentCommands.h"
#include "app/RecentFileList.h"

#include <QMainWindow>
#include <QPointer>
#include <map>

class BannerBar;
class QMenu;
class QToolBar;
class SDI_THView;

class MainFrm final : public QMainWindow, public DocumentHost {
    Q_OBJECT
public:
    // Command IDs of the menus and toolbar.
    static constexpr unsigned ID_FILE_NEW = 0xE100;
    static constexpr unsigned ID_FILE_OPEN = 0xE101;
    static constexpr unsigned ID_FILE_SAVE = 0xE103;
    static constexpr unsigned ID_FILE_SAVE_AS = 0xE104;
    static constexpr unsigned ID_FILE_MRU_FIRST = DocumentCommands::kFirstRecentId;
    static constexpr unsigned ID_APP_ABOUT = 0xE140;
    static constexpr unsigned ID_APP_EXIT = 0xE141;
    static constexpr unsigned ID_VIEW_TOOLBAR = 0xE800;
    static constexpr unsigned ID_HELP_CONTENTS = 0xE144;

    // Enumerates the fonts into the catalog, builds the window and its first, untitled document.
    explicit MainFrm(ConverterContext& context, QWidget* parent = nullptr);
    ~MainFrm() override;

    // The action of a command ID; null for an ID the window does not have.
    QAction* Action(unsigned commandId) const;
    // Runs a command as its menu item would; the result of Save and Save As, else true.
    bool RunCommand(unsigned commandId);
    CFontDoc* Document() const { return commands_.Current(); }
    SDI_THView* View() const { return view_; }
    QToolBar* ToolBar() const { return toolBar_; }
    BannerBar* Banner() const { return banner_; }
    // The help page's window while it is open.
    QWidget* HelpWindow() const { return help_; }
    DocumentCommands& Commands() { return commands_; }
    // The document's messages and Save dialog as windows owned by this one.
    DocumentUi& Ui() { return ui_; }
    ConverterContext& Context() { return context_; }

    // Applies the stored placement ("App Window"), or shows the window maximized when there is
    // none, it is malformed or it lies off the screen.
    void ShowWithStoredPlacement();

    // DocumentHost
    std::optional<std::string> AskOpenPath() override;
    void SetDocument(CFontDoc* document) override;
    void SetCaption(const std::string& caption) override;
    void RefreshCommandStates() override;
    void Beep() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void RebuildRecentMenu();
    void StorePlacement();
    void ToggleToolBar();
    void ShowAbout();
    void ShowHelp();
    // "<document title>[*] - <application name>", with the modified marker following the document.
    void UpdateTitle();

    ConverterContext& context_;
    ConverterDocumentUi ui_;
    RecentFileList recent_;
    DocumentCommands commands_;
    std::map<unsigned, QAction*> actions_;
    QMenu* recentMenu_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    BannerBar* banner_ = nullptr;
    SDI_THView* view_ = nullptr;
    QPointer<QWidget> help_;
    bool placementStored_ = false;
};
