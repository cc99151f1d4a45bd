// DesktopRoot.h: the folder that holds everything the emulated desktop keeps (registry, Windows
// folder, Palm users, drives): $PALMDESK_ROOT, else $XDG_DATA_HOME/palmdesk, else
// ~/.local/share/palmdesk.
#pragma once

#include <string>

namespace win {

std::string DesktopRoot();

// Creates folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

}  // namespace win
