// FontsPageBench.cpp: how soon the converter's main window, and then the add-font wizard with its
// fonts page, are drawn with the fonts installed here (FONTCONFIG_FILE chooses them), as one
// process on the offscreen platform. bench/compare times the process and reads its peak memory.
//
//   fonts_page_bench [--main-window] [--script N] [--save FILE.png]
//
// Prints the seconds from the program's start to the drawn main window and, without
// --main-window, to the drawn fonts page; --script chooses the stored script (1: every script),
// --save keeps the drawn wizard as a picture.
#include "app/ConverterSettings.h"
#include "app/FontCatalog.h"
#include "app/PalmUser.h"
#include "app/RegistryStore.h"
#include "app/gui/AddFontWizard.h"
#include "app/gui/ConverterContext.h"
#include "app/gui/MainFrm.h"
#include "app/gui/SelFontsPage.h"
#include "platform/gdi/FreeTypeFontEngine.h"
#include "resources/converter/ConverterStrings.h"

#include <QApplication>
#include <QListWidget>
#include <QPixmap>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Shown, laid out and drawn once, as the screen would get it.
QPixmap drawn(QWidget& widget) {
    widget.show();
    QApplication::processEvents();
    return widget.grab();
}
}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point start = Clock::now();
    bool mainWindowOnly = false;
    std::uint32_t script = 0;
    const char* save = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--main-window") == 0) {
            mainWindowOnly = true;
        } else if (std::strcmp(argv[i], "--script") == 0 && i + 1 < argc) {
            script = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--save") == 0 && i + 1 < argc) {
            save = argv[++i];
        } else {
            std::fputs("usage: fonts_page_bench [--main-window] [--script N] [--save FILE.png]\n", stderr);
            return 2;
        }
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    converter::RegisterConverterStrings();

    RegistryStore store{"Corvane", "Typehold"};
    ConverterSettings settings;
    settings.script = script;
    PalmUserList users;
    gdi::FreeTypeFontEngine engine;
    FontCatalog catalog;
    ConverterContext context{store, settings, nullptr, users, engine, catalog, 1252};
    MainFrm frame(context);
    drawn(frame);
    std::printf("main window %.3f s (%zu faces)\n", since(start), catalog.Entries().size());
    if (mainWindowOnly) return 0;

    AddFontWizard wizard(settings, catalog, engine, context.codePage, &frame);
    const QPixmap picture = drawn(wizard);
    std::printf("fonts page %.3f s (%d rows)\n", since(start), wizard.Fonts()->Fonts()->count());
    std::fflush(stdout);
    if (save && !picture.save(save)) {
        std::fprintf(stderr, "fonts_page_bench: cannot write %s\n", save);
        return 1;
    }
    return 0;
}
