// ConduitMessages.h: the conduit's message boxes (text, caption, OK). While the configuration
// dialog is open its window shows them; otherwise a message goes to stderr. Tests install a
// handler to see them.
#pragma once

#include <string>

using ConduitMessageHandler = void (*)(const std::string& text, const std::string& caption);

void ConduitMessageBox(const std::string& text, const std::string& caption);
ConduitMessageHandler SetConduitMessageHandler(ConduitMessageHandler handler);
