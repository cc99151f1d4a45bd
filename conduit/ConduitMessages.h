// ConduitMessages.h: the conduit's message boxes (text, caption, OK). Until the configuration
// dialog has windows of its own, a message goes to stderr; tests install a handler to see them.
#pragma once

#include <string>

using ConduitMessageHandler = void (*)(const std::string& text, const std::string& caption);

void ConduitMessageBox(const std::string& text, const std::string& caption);
ConduitMessageHandler SetConduitMessageHandler(ConduitMessageHandler handler);
