// ScriptedDocumentUi.h: a DocumentUi for tests that records every question and every message
// shown to it, and answers as told.
#pragma once

#include "core/DocumentUi.h"
#include "core/Outcome.h"
#include "platform/win/MessageBoxTypes.h"

#include <cstdint>
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

    // Yes unless answered No or Cancel.
    SaveChoice AskSaveChanges(const std::string& question) override {
        switch (Ask(question, win::MB_YESNOCANCEL | win::MB_ICONWARNING)) {
        case win::IDCANCEL: return SaveChoice::Cancel;
        case win::IDNO: return SaveChoice::Discard;
        default: return SaveChoice::Save;
        }
    }
    bool AskOverwriteChanged(const std::string& question) override {
        return Ask(question, win::MB_OKCANCEL | win::MB_ICONWARNING) == win::IDOK;
    }
    std::optional<std::string> AskSavePath(const std::string& proposedName) override {
        proposedNames.push_back(proposedName);
        return savePath;
    }
    // A Yes/No question, as the delete question.
    bool AskYesNo(const std::string& question) { return Ask(question, win::MB_YESNO) == win::IDYES; }

    // Shows outcome as the windows do, each message in an OK box; true when it was done.
    bool Show(const Outcome& outcome) {
        for (const auto& message : outcome.Messages()) Ask(message.Text(), win::MB_OK);
        return outcome.Ok();
    }

    // Records the question and answers the next scripted button (OK when none is left).
    int Ask(const std::string& text, std::uint32_t type) {
        messages.push_back({text, type});
        if (answers.empty()) return win::IDOK;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Message> messages;
    std::deque<int> answers;                 // button IDs to answer with, in order
    std::vector<std::string> proposedNames;  // what the Save dialog was offered
    std::optional<std::string> savePath;     // what the Save dialog answers (none: Cancel)
};
