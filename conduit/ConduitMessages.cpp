// ConduitMessages.cpp: the conduit's message boxes (text, caption, OK).
#include "ConduitMessages.h"

#include <cstdio>

namespace {
void toStderr(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s%s%s\n", caption.c_str(), caption.empty() ? "" : ": ", text.c_str());
}
ConduitMessageHandler current = &toStderr;
}  // namespace

void ConduitMessageBox(const std::string& text, const std::string& caption) { current(text, caption); }

ConduitMessageHandler SetConduitMessageHandler(ConduitMessageHandler handler) {
    const ConduitMessageHandler previous = current;
    current = handler ? handler : &toStderr;
    return previous;
}
