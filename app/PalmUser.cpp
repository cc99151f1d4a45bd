// PalmUser.cpp: reading the Palm users through the install aide and queuing files for them.
#include "PalmUser.h"

#include "InstallAide.h"
#include "core/FontDoc.h"
#include "core/PathNames.h"
#include "core/qz_fileio/Exception.h"
#include "resources/converter/ConverterStrings.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {
using GetUserCount = std::int32_t (*)();
using GetUser = std::int32_t (*)(std::uint32_t, char*, std::int16_t*);
using IsUserProfile = std::int32_t (*)(const char*);
using GetUserIdFromName = std::int32_t (*)(const char*, std::uint32_t*);
using InstallOrRemove = std::int32_t (*)(const char*, const char*);

constexpr std::int16_t kNameBufferSize = 1024;

template <typename Function>
Function lookUp(win::HMODULE aide, const char* name) {
    auto* f = reinterpret_cast<Function>(win::GetProcAddress(aide, name));
    if (f == nullptr) throw new qz_gen::CException(converter::FormatConverterString(converter::kStrFunctionMissing, name, kInstallAideName), 0);
    return f;
}

void check(std::int32_t result, const char* function) {
    // The result travels as the code, so that the catcher can say what it means.
    if (result < 0)
        throw new qz_gen::CException(
            converter::FormatConverterString(converter::kStrFunctionFailed, function, static_cast<int>(result)), result);
}
}  // namespace

int ReadPalmUsers(win::HMODULE aide, PalmUserList& users) {
    users.clear();
    const auto getCount = lookUp<GetUserCount>(aide, "PltGetUserCount");
    const std::int32_t count = getCount();
    check(count, "PltGetUserCount");
    const auto getUser = lookUp<GetUser>(aide, "PltGetUser");
    const auto isProfile = lookUp<IsUserProfile>(aide, "PltIsUserProfile");
    const auto getId = lookUp<GetUserIdFromName>(aide, "PlmGetUserIDFromName");
    char name[kNameBufferSize];
    for (std::int32_t i = 0; i < count; ++i) {
        std::int16_t size = kNameBufferSize;
        name[0] = '\0';
        check(getUser(static_cast<std::uint32_t>(i), name, &size), "PltGetUser");
        name[kNameBufferSize - 1] = '\0';
        check(isProfile(name), "PltIsUserProfile");
        std::uint32_t id = 0;
        const std::int32_t found = getId(name, &id);
        check(found, "PlmGetUserIDFromName");
        if (found == 0) users.push_back({name, id});
    }
    return static_cast<int>(users.size());
}

void InstallFile(const PalmUser& user, win::HMODULE aide, const std::string& path) {
    const auto install = lookUp<InstallOrRemove>(aide, "PltInstallFile");
    const auto remove = lookUp<InstallOrRemove>(aide, "PltRemoveInstallFile");
    remove(user.name.c_str(), path.c_str());
    check(install(user.name.c_str(), path.c_str()), "PltInstallFile");
}

Outcome InstallToHandheld(CFontDoc& doc, PalmUserList& users, win::HMODULE aide, UserChooser& chooser) {
    if (doc.GetPathName().empty()) return Outcome::Stopped();
    try {
        ReadPalmUsers(aide, users);
        if (users.empty()) return Outcome::Refused(converter::kStrNoPalmUsers);
        PalmUser& user = doc.InstallUser();
        const bool stillThere = std::any_of(users.begin(), users.end(), [&](const PalmUser& u) { return u.name == user.name; });
        if (!stillThere) user = PalmUser();
        if (user.name.empty()) {
            if (users.size() > 1) {
                const auto chosen = chooser.Choose(users);
                if (!chosen) return Outcome::Stopped();
                user = *chosen;
            } else {
                user = users.front();
            }
        }
        InstallFile(user, aide, doc.GetPathName());
        OutcomeMessage confirmation = ConverterMessage(converter::kStrWillBeInstalled, {fileNameOf(doc.GetPathName())});
        confirmation.file = doc.GetPathName();
        return Outcome::Done().Then(std::move(confirmation));
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        std::string why = qz_gen::ExplainException(*e);
        if (why.empty() && e->GetCode() < 0) why = AideFailureInWords(e->GetCode(), doc.InstallUser().name);
        OutcomeMessage message = TextMessage(e->MessageToShow(), doc.GetPathName());
        message.details = std::move(why);
        return Outcome::Refused(std::move(message));
    } catch (...) {
    }
    return Outcome::Stopped();
}

std::string AideFailureInWords(std::int32_t result, const std::string& userName) {
    const std::string user = userName.empty() ? "the Palm user" : userName;
    const std::string lead = "The file could not be queued for " + user + ": ";
    switch (result) {
    case -2: return lead + "there is no such Palm user. Add one with: hotsync user add NAME";
    case -3: return lead + "the saved file cannot be read.";
    case -4:
        return lead + user + "'s install folder cannot be written. Check that the disk has room and that you may "
                      "write to the desktop folder.";
    case -7: return lead + user + "'s handheld is in use by a HotSync. Try again when it has ended.";
    default: return lead + "the install aide refused it (error " + std::to_string(result) + ").";
    }
}

std::optional<PalmUser> UserForChoice(const PalmUserList& users, const std::string& selectedName) {
    for (const PalmUser& user : users)
        if (user.name == selectedName) return user;
    if (users.empty()) return std::nullopt;
    return users.front();
}

std::vector<std::string> SortedUserNames(const PalmUserList& users) {
    std::vector<std::string> names;
    for (const PalmUser& user : users) names.push_back(user.name);
    std::sort(names.begin(), names.end());
    return names;
}
