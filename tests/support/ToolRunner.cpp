// ToolRunner.cpp: runs a command-line tool of the project and captures what it printed.
#include "ToolRunner.h"

#include "TempDir.h"

#include <cstdio>
#include <sys/wait.h>

ToolRun runTool(const std::string& binary, const std::string& args, const std::string& scratchFolder) {
    const std::string errFile = scratchFolder + "/tool-stderr.txt";
    // Each run sees a desktop of its own, never the developer's.
    // The tools run with a home of their own, so that no default folder lands in the real one.
    const std::string command = "PALMDESK_ROOT='" + scratchFolder + "/palmdesk' HOME='" + scratchFolder +
                                "/home' XDG_CONFIG_HOME= XDG_DATA_HOME= " + binary + " " + args + " 2>" + errFile;
    ToolRun run{};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {-1, "", "popen failed"};
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto err = readWholeFile(errFile);
    run.err.assign(err.begin(), err.end());
    return run;
}
