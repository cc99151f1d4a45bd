// CommandError.cpp: turning exceptions into the tool's error line.
#include "CommandError.h"

#include "core/qz_fileio/Exception.h"

#include <cstdio>
#include <memory>

namespace {
// System texts end in a line break; the error line carries its own.
std::string withoutTrailingSpace(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

int report(const std::string& subject, const std::string& text) {
    std::fprintf(stderr, "typehold: %s: %s\n", subject.c_str(), withoutTrailingSpace(text).c_str());
    return 1;
}
}  // namespace

int runReportingErrors(const std::string& subject, const std::function<int()>& command) {
    try {
        return command();
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        // A file error in words ("The disk is full. ..."), never the bare name of its cause.
        const std::string words = qz_gen::ExplainException(*e);
        return report(subject, words.empty() ? e->MessageToShow() : words);
    } catch (const CommandError& e) {
        return report(subject, e.what());
    } catch (const std::bad_alloc&) {
        return report(subject, "out of memory");
    }
}
