// ConverterApp.cpp: the start-up sequence and the message loop.
#include "ConverterApp.h"

#include "AppMessageBox.h"
#include "MainFrm.h"
#include "app/ConsoleCodePage.h"
#include "app/InstallAide.h"
#include "core/qz_fileio/Exception.h"
#include "platform/gdi/FreeTypeFontEngine.h"
#include "resources/converter/ConverterStrings.h"

#include <QApplication>

ConverterApp::ConverterApp() = default;

ConverterApp::~ConverterApp() {
    mainWindow_.reset();
    catalog_.Clear();
    if (aide_) win::FreeLibrary(aide_);
    SetMessageBoxCaption(std::string());
}

bool ConverterApp::LoadAide() {
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
        AppMessageBox(e->MessageToShow(), win::MB_OK);
        return false;
    }
    if (count > 0) return true;
    AppMessageBox(converter::kStrNoPalmUsers, win::MB_OK);
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
        ConverterContext{store_, settings_, aide_, users_, *engine_, catalog_, codePage_});
    mainWindow_ = std::make_unique<MainFrm>(*context_);
    mainWindow_->setWindowTitle(QString::fromStdString(appName_));
    mainWindow_->ShowWithStoredPlacement();
    return true;
}

int ConverterApp::Run() {
    if (!Start()) return 0;
    QApplication::setQuitOnLastWindowClosed(true);
    return QApplication::exec();
}
