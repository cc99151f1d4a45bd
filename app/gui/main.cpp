// main.cpp: glyphsmith, the Typehold Converter.
#include "Artwork.h"
#include "ConverterApp.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {
// Qt ends a program that cannot reach its display with several messages and an abort; a user who
// started it from a terminal gets one line, the first message (which names the display), and exit
// status 1 instead.
QString g_firstMessage;

void onQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (g_firstMessage.isEmpty()) g_firstMessage = message;
    if (type != QtFatalMsg) return;
    std::fprintf(stderr, "glyphsmith: %s\n", qPrintable(g_firstMessage));
    std::_Exit(1);
}
}  // namespace

int main(int argc, char** argv) {
    const ConverterArguments arguments = ParseConverterArguments(argc, argv);
    if (arguments.action != ConverterArguments::Action::Run) {
        std::fputs(arguments.text.c_str(), arguments.action == ConverterArguments::Action::Wrong ? stderr : stdout);
        return arguments.action == ConverterArguments::Action::Wrong ? 2 : 0;
    }
    if (const auto missing = MissingDisplayText()) {
        std::fprintf(stderr, "glyphsmith: %s\n", missing->c_str());
        return 1;
    }
    const QtMessageHandler previous = qInstallMessageHandler(onQtMessage);
    QApplication application(argc, argv);
    qInstallMessageHandler(previous);
    QApplication::setApplicationName("glyphsmith");
    QApplication::setDesktopFileName("glyphsmith");
    QApplication::setWindowIcon(ProgramIcon());
    ConverterApp app;
    return app.Run(arguments.file);
}
