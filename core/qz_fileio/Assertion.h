// Assertion.h: the library's assertion report. The text goes to a handler that the program
// replaces (the GUI shows the Abort/Retry/Ignore box); the default writes it to stderr.
#pragma once

#include <string>

namespace qz_gen {

enum class AssertionAnswer {
    Continue,  // Ignore: carry on
    Break,     // Retry: the caller stops in the debugger
};

using AssertionHandler = AssertionAnswer (*)(const std::string& text);

// Formats "Assertion Failed: File <source>, Line <line>" and hands it to the current handler.
AssertionAnswer ReportAssertion(const char* source, int line);

// Installs handler (nullptr restores the default) and returns the previous one.
AssertionHandler SetAssertionHandler(AssertionHandler handler);

}  // namespace qz_gen
