// CommandLineUi.h: the document's messages on the command line. It never asks: messages go to
// stderr as "typehold: <subject>: <text>", questions are answered Cancel, and the Save dialog
// answers the name the command was given, if any.
#pragma once

#include "core/DocumentUi.h"

#include <optional>
#include <string>

class CommandLineUi final : public DocumentUi {
public:
    explicit CommandLineUi(std::string subject) : subject_(std::move(subject)) {}

    int MessageBox(const std::string& text, std::uint32_t type) override;
    std::optional<std::string> AskSavePath(const std::string&) override { return savePath_; }

    void SetSubject(std::string subject) { subject_ = std::move(subject); }
    void SetSavePath(std::optional<std::string> path) { savePath_ = std::move(path); }
    // Whether a message has been printed, so that a failing command does not report twice.
    bool HasReported() const { return reported_; }

private:
    std::string subject_;
    std::optional<std::string> savePath_;
    bool reported_ = false;
};
