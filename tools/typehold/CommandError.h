// CommandError.h: how the tool's commands report failure: one line on stderr, a non-zero exit.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

// A failure a command reports with its own text.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs command; a CommandError or a qz_gen::CException (thrown by pointer) becomes the line
// "typehold: <subject>: <text>" on stderr and exit code 1.
int runReportingErrors(const std::string& subject, const std::function<int()>& command);
