// InstallCommand.cpp: the converter's Install on the command line: the install aide is loaded
// and the users read as at the converter's start-up; with several users and no --user, the
// command lists them and asks which.
#include "InstallCommand.h"

#include "CommandError.h"
#include "CommandLineUi.h"
#include "InputFiles.h"
#include "app/InstallAide.h"
#include "app/PalmUser.h"
#include "core/FontDoc.h"
#include "core/qz_fileio/Exception.h"
#include "resources/converter/ConverterStrings.h"

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {
// The user dialog as a question on the terminal.
class CommandLineChooser final : public UserChooser {
public:
    std::optional<PalmUser> Choose(const PalmUserList& users) override {
        std::fprintf(stderr, "Palm users:\n");
        for (std::size_t i = 0; i < users.size(); ++i) std::fprintf(stderr, "  %zu  %s\n", i + 1, users[i].name.c_str());
        std::fprintf(stderr, "Install for which user (number or name)? ");
        std::string answer;
        if (!std::getline(std::cin, answer)) return std::nullopt;
        for (std::size_t i = 0; i < users.size(); ++i)
            if (answer == users[i].name || answer == std::to_string(i + 1)) return users[i];
        return std::nullopt;
    }
};

}  // namespace

int runInstall(const std::string& file, const std::optional<std::string>& userName) {
    return runReportingErrors(file, [&] {
        requireInput(file, Expected::TypeholdFile);
        const AideLoadResult aide = LoadInstallAide();
        if (!aide.module) {
            std::string text = converter::FormatConverterString(converter::kStrCannotLoad, kInstallAideName);
            if (aide.systemText) text = *aide.systemText + text;
            // The converter's text says what failed; on the command line, say what to run.
            if (!text.empty() && text.back() != ' ') text += ' ';
            throw CommandError(text + (aide.systemText ? "Run hotsync init again to record where the HotSync manager is."
                                                       : "Run hotsync init first to set up the Palm desktop."));
        }
        const std::unique_ptr<win::ModuleHandle, bool (*)(win::HMODULE)> owned(aide.module, win::FreeLibrary);
        PalmUserList users;
        ReadPalmUsers(aide.module, users);
        if (users.empty())
            throw CommandError(converter::LoadConverterString(converter::kStrNoPalmUsers) +
                               " Add one with hotsync user add NAME.");

        const std::string path = std::filesystem::absolute(file).lexically_normal().string();
        CommandLineUi ui(file);
        CFontDoc doc(ui);
        if (!ui.Report(doc.OnOpenDocument(path))) return 1;
        if (userName) {
            const auto it = std::find_if(users.begin(), users.end(), [&](const PalmUser& u) { return u.name == *userName; });
            if (it == users.end()) throw CommandError("no Palm user \"" + *userName + "\" (see hotsync user list)");
            doc.InstallUser() = *it;
        }
        CommandLineChooser chooser;
        const Outcome installed = InstallToHandheld(doc, users, aide.module, chooser);
        if (!installed) {
            if (!installed.HasMessages()) throw CommandError("no user was chosen");
            ui.Report(installed);
            return 1;
        }
        // The confirmation is news, not an error: it goes to standard output.
        for (const OutcomeMessage& message : installed.Messages()) std::printf("%s\n", message.Text().c_str());
        return 0;
    });
}
