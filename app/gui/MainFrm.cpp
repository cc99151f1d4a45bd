// MainFrm.cpp: the main window's menus, toolbar, banner, placement and document commands.
#include "MainFrm.h"

#include "Artwork.h"
#include "BannerBar.h"
#include "SDI_THView.h"
#include "aboutdlg.h"
#include "app/WindowPlacement.h"
#include "core/FontDoc.h"
#include "resources/converter/ConverterHelp.h"
#include "resources/converter/ConverterStrings.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>

namespace {
constexpr const char* kPlacementValue = "App Window";
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

// The text after the newline of a command's string: its tooltip.
QString tooltipOf(std::uint32_t stringId) {
    const std::string text = converter::LoadConverterString(stringId);
    const auto newline = text.find('\n');
    return QString::fromStdString(newline == std::string::npos ? text : text.substr(newline + 1));
}
QString statusTipOf(std::uint32_t stringId) {
    const std::string text = converter::LoadConverterString(stringId);
    return QString::fromStdString(text.substr(0, text.find('\n')));
}
}  // namespace

MainFrm::MainFrm(ConverterContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context), recent_(context.store), commands_(ui_, *this, recent_) {
    setObjectName("cvFrame");
    setWindowIcon(ProgramIcon());
    commands_.SetCodePage(context_.codePage);
    // Fonts installed after this point are not offered until the next run.
    context_.catalog.Enumerate(context_.engine);

    CreateActions();
    CreateMenus();

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName("toolbar128");
    // The name its own context menu shows; hiding it there unchecks View > Toolbar too.
    toolBar_->setWindowTitle(tr("Toolbar"));
    connect(toolBar_->toggleViewAction(), &QAction::toggled, this,
            [this](bool visible) { Action(ID_VIEW_TOOLBAR)->setChecked(visible); });
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(16, 15));
    toolBar_->addAction(Action(ID_FILE_NEW));
    toolBar_->addAction(Action(ID_FILE_OPEN));
    toolBar_->addAction(Action(ID_FILE_SAVE));
    toolBar_->addSeparator();
    toolBar_->addAction(Action(ID_APP_ABOUT));
    addToolBar(Qt::TopToolBarArea, toolBar_);

    banner_ = new BannerBar(this);
    setStatusBar(banner_);

    view_ = new SDI_THView(*this, this);
    setCentralWidget(view_);

    // The accelerators act whether or not the menu is open.
    const std::pair<QKeySequence, unsigned> accelerators[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
    };
    for (const auto& [keys, id] : accelerators) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, id = id] { RunCommand(id); });
    }
    // The idle update of the command states: Save is enabled exactly when the document is modified.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &MainFrm::RefreshCommandStates);

    SetMessageBoxOwner(this);
    ShowOutcome(commands_.NewDocument());
}

MainFrm::~MainFrm() {
    SetMessageBoxOwner(nullptr);
    StorePlacement();
}

void MainFrm::CreateActions() {
    struct Item {
        unsigned id;
        const char* text;
        std::uint32_t stringId;
        std::optional<ToolbarImage> image;
    };
    const Item items[] = {
        {ID_FILE_NEW, "&New\tCtrl+N", converter::kStrCommandNew, ToolbarImage::New},
        {ID_FILE_OPEN, "&Open...\tCtrl+O", converter::kStrCommandOpen, ToolbarImage::Open},
        {ID_FILE_SAVE, "&Save\tCtrl+S", converter::kStrCommandSave, ToolbarImage::Save},
        {ID_FILE_SAVE_AS, "Save &As...", 0, std::nullopt},
        {ID_APP_EXIT, "E&xit", 0, std::nullopt},
        {ID_VIEW_TOOLBAR, "&Toolbar", 0, std::nullopt},
        {ID_APP_ABOUT, "&About Typehold...", converter::kStrCommandAbout, ToolbarImage::About},
        {ID_HELP_CONTENTS, "&Contents", 0, std::nullopt},
    };
    for (const Item& item : items) {
        auto* action = new QAction(QString::fromUtf8(item.text), this);
        action->setData(item.id);
        if (item.image) action->setIcon(QIcon(ToolbarPixmap(*item.image)));
        if (item.stringId) {
            action->setToolTip(tooltipOf(item.stringId));
            action->setStatusTip(statusTipOf(item.stringId));
        }
        connect(action, &QAction::triggered, this, [this, id = item.id] { RunCommand(id); });
        actions_[item.id] = action;
    }
    Action(ID_VIEW_TOOLBAR)->setCheckable(true);
    Action(ID_VIEW_TOOLBAR)->setChecked(true);
    // The keys Qt programs share, beyond the three accelerators of the menu texts.
    Action(ID_FILE_SAVE_AS)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    Action(ID_APP_EXIT)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Action(ID_HELP_CONTENTS)->setShortcut(QKeySequence(Qt::Key_F1));
    for (unsigned id : {ID_FILE_SAVE_AS, ID_APP_EXIT, ID_HELP_CONTENTS})
        Action(id)->setShortcutContext(Qt::ApplicationShortcut);
}

void MainFrm::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("menuFile");
    file->addAction(Action(ID_FILE_NEW));
    file->addAction(Action(ID_FILE_OPEN));
    file->addAction(Action(ID_FILE_SAVE));
    file->addAction(Action(ID_FILE_SAVE_AS));
    file->addSeparator();
    recentMenu_ = file->addMenu("Recent &Files");
    recentMenu_->setObjectName("menuRecent");
    file->addSeparator();
    file->addAction(Action(ID_APP_EXIT));
    RebuildRecentMenu();
    // The registry holds the truth: the list is read again each time the File menu opens.
    connect(file, &QMenu::aboutToShow, this, [this] {
        recent_.Read();
        RebuildRecentMenu();
    });

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("menuView");
    view->addAction(Action(ID_VIEW_TOOLBAR));
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("menuHelp");
    help->addAction(Action(ID_HELP_CONTENTS));
    help->addSeparator();
    help->addAction(Action(ID_APP_ABOUT));
}

void MainFrm::RebuildRecentMenu() {
    recentMenu_->clear();
    const std::vector<std::string> paths = recent_.NewestFirst();
    if (paths.empty()) {
        QAction* empty = recentMenu_->addAction("(empty)");
        empty->setData(ID_FILE_MRU_FIRST);
        empty->setEnabled(false);
        return;
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const unsigned id = ID_FILE_MRU_FIRST + static_cast<unsigned>(i);
        QAction* entry = recentMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(paths[i])));
        entry->setData(id);
        connect(entry, &QAction::triggered, this, [this, id] { RunCommand(id); });
    }
}

QAction* MainFrm::Action(unsigned commandId) const {
    const auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

bool MainFrm::RunCommand(unsigned commandId) {
    switch (commandId) {
    case ID_FILE_NEW: ShowOutcome(commands_.NewDocument()); return true;
    case ID_FILE_OPEN: ShowOutcome(commands_.OpenDocumentFile(std::nullopt)); return true;
    case ID_FILE_SAVE: return ShowOutcome(commands_.Save());
    case ID_FILE_SAVE_AS: return ShowOutcome(commands_.SaveAs());
    case ID_APP_EXIT: QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); return true;
    case ID_VIEW_TOOLBAR: ToggleToolBar(); return true;
    case ID_APP_ABOUT: ShowAbout(); return true;
    case ID_HELP_CONTENTS: ShowHelp(); return true;
    default:
        if (commandId >= DocumentCommands::kFirstRecentId && commandId <= DocumentCommands::kLastRecentId) {
            ShowOutcome(commands_.OpenRecent(commandId));
            return true;
        }
        return false;
    }
}

std::optional<std::string> MainFrm::AskOpenPath() {
    return AskTypeholdPath(this, FileDialogKind::Open, std::string(), kOpenDialogBuffer);
}

void MainFrm::SetDocument(CFontDoc* document) {
    view_->SetDocument(document);
    RefreshCommandStates();
    UpdateTitle();
}

// The caption names the document from the start (after New and Open too), as desktop programs do;
// the saved title the commands pass is the document's own.
void MainFrm::SetCaption(const std::string&) { UpdateTitle(); }

void MainFrm::UpdateTitle() {
    const QString app = QString::fromStdString(converter::LoadConverterString(converter::kStrAppName));
    const CFontDoc* doc = commands_.Current();
    if (!doc) {
        setWindowTitle(app);
        return;
    }
    setWindowTitle(QString::fromStdString(doc->GetTitle()) + "[*] - " + app);
    setWindowModified(doc->IsModified());
}

void MainFrm::RefreshCommandStates() {
    CFontDoc* doc = commands_.Current();
    Action(ID_FILE_SAVE)->setEnabled(doc != nullptr && doc->IsModified());
    // An untitled document takes the name of its first font once it changes.
    UpdateTitle();
}

void MainFrm::Beep() { QApplication::beep(); }

void MainFrm::ToggleToolBar() {
    const bool visible = !toolBar_->isVisible();
    toolBar_->setVisible(visible);
    Action(ID_VIEW_TOOLBAR)->setChecked(visible);
}

void MainFrm::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void MainFrm::ShowHelp() {
    if (!help_) {
        auto* browser = new QTextBrowser(this);
        browser->setObjectName("helpWindow");
        browser->setWindowFlag(Qt::Window);
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browser->setOpenExternalLinks(true);
        browser->setHtml(QString::fromUtf8(converter::ConverterHelpHtml()));
        browser->setWindowTitle(browser->documentTitle());
        browser->resize(QSize(520, 600).boundedTo(screen()->availableSize()));
        help_ = browser;
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void MainFrm::closeEvent(QCloseEvent* event) {
    if (!ShowOutcome(commands_.CloseDocument())) {
        event->ignore();
        return;
    }
    StorePlacement();
    event->accept();
}

void MainFrm::StorePlacement() {
    if (placementStored_) return;
    placementStored_ = true;
    WindowPlacement placement;
    placement.showCmd = isMaximized() ? kShowMaximized : isMinimized() ? kShowMinimized : kShowNormal;
    placement.minX = placement.minY = placement.maxX = placement.maxY = -1;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    context_.store.SetString(kPlacementValue, FormatPlacement(placement));
}

void MainFrm::ShowWithStoredPlacement() {
    std::string text;
    std::optional<WindowPlacement> placement;
    if (context_.store.GetString(kPlacementValue, text)) placement = ParsePlacement(text);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
    if (!placement || !PlacementFitsScreen(*placement, screenSize.width(), screenSize.height())) {
        // The normal size the window takes when it leaves the maximized state.
        resize(screenSize * 3 / 4);
        showMaximized();
        return;
    }
    setGeometry(QRect(QPoint(placement->left, placement->top), QPoint(placement->right - 1, placement->bottom - 1)));
    if (placement->showCmd == kShowMaximized) showMaximized();
    else show();
}
