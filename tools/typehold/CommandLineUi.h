// CommandLineUi.h: the document on the command line. It never asks: a question is printed to
// stderr as "typehold: <subject>: <text>" and answered Cancel, and the Save dialog answers the
// name the command was given, if any. What an operation came to is printed the same way.
#pragma once

#include "core/DocumentUi.h"
#include "core/Outcome.h"

#include <optional>
#include <string>

class CommandLineUi final : public DocumentUi {
public:
    explicit CommandLineUi(std::string subject) : subject_(std::move(subject)) {}

    SaveChoice AskSaveChanges(const std::string& question) override;
    bool AskOverwriteChanged(const std::string& question) override;
    std::optional<std::string> AskSavePath(const std::string&) override { return savePath_; }

    void SetSubject(std::string subject) { subject_ = std::move(subject); }
    void SetSavePath(std::optional<std::string> path) { savePath_ = std::move(path); }

    // Prints each message of outcome as one line on stderr; true when the operation was done.
    bool Report(const Outcome& outcome) const;

private:
    // The line "typehold: <subject>: <text>" on stderr, without the text's trailing line breaks.
    void PrintLine(const std::string& text) const;

    std::string subject_;
    std::optional<std::string> savePath_;
};
