// WindowsPath.h: Windows paths on this machine. A path that starts with a drive letter ("C:\Pictaro")
// lives under $PALMDESK_ROOT/drive_<letter>/ with backslashes read as separators, as Wine maps its
// drives; any other path is used as it is.
#pragma once

#include <string>
#include <string_view>

namespace win {

std::string ResolveWindowsPath(std::string_view path);

// _splitpath: drive ("C:" or empty), directory (with its trailing separator), file name and
// extension (with its dot). Both separators count.
struct SplitPathParts {
    std::string drive, directory, fileName, extension;
};
SplitPathParts SplitPath(std::string_view path);

// The folder a file path names its file in: "." for a bare name, "/" for a file at the root.
std::string FolderOf(const std::string& path);

// The current directory, or empty when it cannot be read; SetCurrentDirectory reports success.
std::string GetCurrentDirectory();
bool SetCurrentDirectory(const std::string& folder);

}  // namespace win
