// ConverterApp.cpp: the start-up sequence and the message loop.
#include "ConverterApp.h"

#include "AppMessageBox.h"
#include "MainFrm.h"
#include "app/ConsoleCodePage.h"
#include "app/ConversionBatch.h"
#include "app/InstallAide.h"
#include "core/FontDoc.h"
#include "core/qz_fileio/Exception.h"
#include "platform/gdi/FreeTypeFontEngine.h"
#include "resources/converter/ConverterStrings.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <string_view>

namespace {
constexpr const char* kUsage =
    "Usage: glyphsmith [FILE.pdb]\n"
    "The Typehold Converter: turns installed TrueType fonts into Palm OS fonts in a Typehold file\n"
    "and queues it for a Palm user's next HotSync. FILE is a Typehold file to open.\n"
    "\n"
    "  -h, --help     this text\n"
    "  -v, --version  the version\n"
    "\n"
    "The converter needs the HotSync manager (hotsync) and at least one Palm user\n"
    "(hotsync user add NAME).\n";
}  // namespace

ConverterArguments ParseConverterArguments(int argc, const char* const* argv) {
    ConverterArguments result;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            result.action = ConverterArguments::Action::Help;
            result.text = kUsage;
            return result;
        }
        if (!optionsEnded && (arg == "-v" || arg == "--version")) {
            result.action = ConverterArguments::Action::Version;
            result.text = std::string("glyphsmith ") + TYPEHOLD_VERSION + "\n";
            return result;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        // Qt's own options (-style, -platform, ...) are left to QApplication.
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "-platform" || arg == "-style" || arg == "-display" || arg == "-qwindowgeometry") ++i;
            continue;
        }
        if (result.file) {
            result.action = ConverterArguments::Action::Wrong;
            result.text = "glyphsmith: give one file to open (see glyphsmith --help)\n";
            return result;
        }
        result.file = std::string(arg);
    }
    return result;
}

std::optional<std::string> MissingDisplayText() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY")) return std::nullopt;
    return "no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set); start it from the "
           "desktop, or under xvfb-run";
}

ConverterApp::ConverterApp() = default;

ConverterApp::~ConverterApp() {
    mainWindow_.reset();
    catalog_.Clear();
    if (aide_) win::FreeLibrary(aide_);
    SetMessageBoxCaption(std::string());
}

bool ConverterApp::LoadAide() {
    if (!hotSyncCandidates_) {
        // The install puts hotsync into its own library folder; the build tree keeps it elsewhere.
        const std::string here = QCoreApplication::applicationDirPath().toStdString();
        hotSyncCandidates_ = {here + "/" + GLYPHSMITH_TO_INSTALLED_HOTSYNC, here + "/" + GLYPHSMITH_TO_BUILT_HOTSYNC};
    }
    RecordHotSyncIfNone(*hotSyncCandidates_);
    const AideLoadResult loaded = LoadInstallAide();
    aide_ = loaded.module;
    if (aide_) return true;
    if (loaded.systemText) AppMessageBox(*loaded.systemText, win::MB_OK);
    AppMessageBox(converter::FormatConverterString(converter::kStrCannotLoad, kInstallAideName), win::MB_OK);
    return false;
}

bool ConverterApp::ReadUsers() {
    int count = 0;
    try {
        count = ReadPalmUsers(aide_, users_);
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        AppMessageBox(e->MessageToShow(), win::MB_OK, qz_gen::ExplainException(*e));
        return false;
    }
    if (count > 0) return true;
    AppMessageBox(converter::LoadConverterString(converter::kStrNoPalmUsers), win::MB_OK,
                  "To add a Palm user, run this in a terminal, then start the converter again:<br><br>"
                  "<code>hotsync&nbsp;user&nbsp;add&nbsp;\"Your&nbsp;Name\"</code>");
    return false;
}

bool ConverterApp::Start() {
    converter::RegisterConverterStrings();
    // A double-byte desktop sorts font names with its code page's lead bytes.
    if (const auto codePage = AdoptDoubleByteLocale()) codePage_ = *codePage;
    appName_ = converter::LoadConverterString(converter::kStrAppName);
    SetMessageBoxCaption(appName_);
    settings_.Load(store_);
    if (!LoadAide()) return false;
    if (!ReadUsers()) return false;

    engine_ = std::make_unique<gdi::FreeTypeFontEngine>();
    context_ = std::make_unique<ConverterContext>(
        ConverterContext{store_, settings_, aide_, users_, *engine_, catalog_, codePage_, DefaultBatchThreads()});
    mainWindow_ = std::make_unique<MainFrm>(*context_);
    mainWindow_->ShowWithStoredPlacement();
    return true;
}

bool ConverterApp::OpenInitialFile(const std::string& file) {
    if (!mainWindow_) return false;
    const std::string path = QFileInfo(QString::fromStdString(file)).absoluteFilePath().toStdString();
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        AppMessageBox("The file " + path + " does not exist.", win::MB_OK);
        return false;
    }
    return mainWindow_->Commands().OpenDocumentFile(path) && mainWindow_->Document() &&
           mainWindow_->Document()->GetPathName() == path;
}

int ConverterApp::Run(const std::optional<std::string>& file) {
    if (!Start()) return 0;
    if (file) OpenInitialFile(*file);
    QApplication::setQuitOnLastWindowClosed(true);
    return QApplication::exec();
}
