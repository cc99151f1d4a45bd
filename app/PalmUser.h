// PalmUser.h: the Palm users the install aide knows, read at start-up and again at every
// Install, and installing a Typehold file for one of them. Failures of the aide raise the converter's qz_gen::CException
// (thrown by pointer) with text 132 for a missing function and 131 for a failing one.
#pragma once

#include "core/Outcome.h"
#include "core/PalmUserEntry.h"
#include "platform/win/ModuleLoader.h"

#include <optional>
#include <string>
#include <vector>

class CFontDoc;

using PalmUserList = std::vector<PalmUser>;

// The user dialog: which user a document is installed for, or none for Cancel.
class UserChooser {
public:
    virtual ~UserChooser() = default;
    virtual std::optional<PalmUser> Choose(const PalmUserList& users) = 0;
};

// The user dialog's answer: the entry whose name equals the selected text exactly (case
// counts), else the first user; none only for an empty list.
std::optional<PalmUser> UserForChoice(const PalmUserList& users, const std::string& selectedName);
// The names the user dialog offers, in alphabetical (byte) order.
std::vector<std::string> SortedUserNames(const PalmUserList& users);

// Fills users with every user (not profile) the aide enumerates; returns their number.
int ReadPalmUsers(win::HMODULE aide, PalmUserList& users);

// Withdraws path from the user's queue (whatever the result) and queues it again.
void InstallFile(const PalmUser& user, win::HMODULE aide, const std::string& path);
// What a negative result of the install aide means for the user it was called for, in words.
std::string AideFailureInWords(std::int32_t result, const std::string& userName);

// The Install of a saved document: reads the users again (into users), so that a user added
// since start-up is offered and a removed one is not used (a document's chosen user who is gone
// is forgotten); asks for the user the first time when there are several (one user is taken as
// it is), queues the document's file and is done with message 141 to confirm it. No user left
// refuses with message 130, an error with its text; a document without a path and Cancel stop
// without a message.
Outcome InstallToHandheld(CFontDoc& doc, PalmUserList& users, win::HMODULE aide, UserChooser& chooser);
