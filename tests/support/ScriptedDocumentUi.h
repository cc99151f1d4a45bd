// ScriptedDocumentUi.h: a DocumentUi for tests that records every message and answers as told.
#pragma once

#include "core/DocumentUi.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

class ScriptedDocumentUi final : public DocumentUi {
public:
    struct Message {
        std::string text;
        std::uint32_t type;
    };

    int MessageBox(const std::string& text, std::uint32_t type) override {
        messages.push_back({text, type});
        if (answers.empty()) return 1;  // IDOK
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> AskSavePath(const std::string& proposedName) override {
        proposedNames.push_back(proposedName);
        return savePath;
    }

    std::vector<Message> messages;
    std::deque<int> answers;                 // button IDs to answer with, in order
    std::vector<std::string> proposedNames;  // what the Save dialog was offered
    std::optional<std::string> savePath;     // what the Save dialog answers (none: Cancel)
};
