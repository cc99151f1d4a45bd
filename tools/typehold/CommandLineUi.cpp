// CommandLineUi.cpp: the document's questions and outcomes on the command line.
#include "CommandLineUi.h"

#include <cstdio>

void CommandLineUi::PrintLine(const std::string& text) const {
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::fprintf(stderr, "typehold: %s: %s\n", subject_.c_str(), line.c_str());
}

SaveChoice CommandLineUi::AskSaveChanges(const std::string& question) {
    PrintLine(question);
    return SaveChoice::Cancel;
}

bool CommandLineUi::AskOverwriteChanged(const std::string& question) {
    PrintLine(question);
    return false;
}

bool CommandLineUi::Report(const Outcome& outcome) const {
    for (const OutcomeMessage& message : outcome.Messages()) PrintLine(message.Text());
    return outcome.Ok();
}
