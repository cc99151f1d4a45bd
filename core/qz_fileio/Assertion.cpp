// Assertion.cpp: formatting of the assertion report and the replaceable handler.
#include "Assertion.h"

#include <atomic>
#include <cstdio>

namespace qz_gen {

namespace {
AssertionAnswer reportToStderr(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return AssertionAnswer::Continue;
}

std::atomic<AssertionHandler> currentHandler{&reportToStderr};
}  // namespace

AssertionAnswer ReportAssertion(const char* source, int line) {
    char text[512];
    std::snprintf(text, sizeof text, "%s: File %s, Line %d", "Assertion Failed",
                  source ? source : "", line);
    return currentHandler.load()(text);
}

AssertionHandler SetAssertionHandler(AssertionHandler handler) {
    return currentHandler.exchange(handler ? handler : &reportToStderr);
}

}  // namespace qz_gen
