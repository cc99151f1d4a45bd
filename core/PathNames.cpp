// PathNames.cpp: the parts of a path the document shows and proposes.
#include "PathNames.h"

#include <sys/stat.h>

std::string fileNameOf(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string fileTitle(std::string_view path) {
    std::string name = fileNameOf(path);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string proposedFileName(std::string_view title) {
    const auto cut = title.find_first_of("\\/:*?\"<>|");
    return std::string(title.substr(0, cut));
}

bool SameFilePath(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}
