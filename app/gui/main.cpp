// main.cpp: glyphsmith, the Typehold Converter.
#include "Artwork.h"
#include "ConverterApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("glyphsmith");
    QApplication::setDesktopFileName("glyphsmith");
    QApplication::setWindowIcon(ProgramIcon());
    ConverterApp app;
    return app.Run();
}
