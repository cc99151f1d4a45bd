// CommandLineUi.cpp: the document's messages on the command line.
#include "CommandLineUi.h"

#include "platform/win/MessageBoxTypes.h"

#include <cstdio>

int CommandLineUi::MessageBox(const std::string& text, std::uint32_t type) {
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::fprintf(stderr, "typehold: %s: %s\n", subject_.c_str(), line.c_str());
    reported_ = true;
    switch (type & win::MB_TYPEMASK) {
    case win::MB_OK: return win::IDOK;
    case win::MB_ABORTRETRYIGNORE: return win::IDABORT;
    default: return win::IDCANCEL;
    }
}
