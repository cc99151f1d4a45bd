// ConduitPaths.h: the conduit's folders on this desktop: the defaults a new user gets, how a
// stored folder is shown, and which typed folders OK takes.
#pragma once

#include <optional>
#include <string>

// The desktop's pictures folder (XDG_PICTURES_DIR of user-dirs.dirs, else ~/Pictures) + "/Pictaro".
std::string DefaultSyncFolder();
// The first existing of the user's and the system's TrueType font folders; the user's own when
// none exists.
std::string DefaultFontFolder();

// A stored folder as the dialog shows it: one in Windows form ("C:\Pictaro") as the folder the
// drive mapping makes of it; any other unchanged.
std::string ShownFolder(const std::string& stored);

// A folder typed into the dialog as it is kept: "~" and "~/..." expanded to the home folder,
// surrounding blanks dropped. None for a folder that is not a full path (relative, or empty):
// OK refuses it as it refuses an empty one.
std::optional<std::string> AcceptedFolder(const std::string& typed);
