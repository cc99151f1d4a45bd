// ConfigurationDialog.h: running the configuration dialog for CfgConduit (no toolkit types here,
// so the exports need none).
#pragma once

#include <string>

struct ConfigurationRecord;

// Shows the dialog modally over the active window and returns when it closes; record is read and
// written in place. A process without a GUI application gets one for the dialog's lifetime; when
// there is no display to show it on, a message says so and the record is left as it was.
void RunConfigurationDialog(ConfigurationRecord& record, const std::string& modulePath);
