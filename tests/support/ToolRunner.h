// ToolRunner.h: runs a command-line tool of the project and captures what it printed.
#pragma once

#include <string>

struct ToolRun {
    int exitCode;
    std::string out;
    std::string err;
};

// Runs "binary args" through the shell, with stderr captured in a file of scratchFolder and the
// desktop root at scratchFolder/palmdesk.
ToolRun runTool(const std::string& binary, const std::string& args, const std::string& scratchFolder);
