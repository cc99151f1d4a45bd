// ConduitDialogModel.cpp
#include "ConduitDialogModel.h"

#include "ConduitPaths.h"
#include "ConduitSettings.h"
#include "palmdesk/ConduitRecords.h"
#include "resources/conduit/ConduitDialog.h"
#include "resources/conduit/ConduitStrings.h"

#include <cstring>
#include <utility>

namespace {
std::string text(std::uint32_t id) { return conduit::LoadConduitString(id).value_or(""); }

// String 8004 with the user's name in place of its "%s".
std::string userLine(const std::string& name) {
    std::string line = text(conduit::kStrCurrentSettings);
    if (const auto at = line.find("%s"); at != std::string::npos) line.replace(at, 2, name);
    return line;
}
}  // namespace

ConduitDialogModel::ConduitDialogModel(ConfigurationRecord& record, PictaroSettings& settings, SettingsFile& file,
                                       DesktopFolders desktop)
    : record_(record), settings_(settings), file_(file), desktop_(std::move(desktop)), openedAction_(record.newAction),
      openedPreference_(record.preference) {}

void ConduitDialogModel::cancelled() {
    record_.newAction = openedAction_;
    record_.preference = openedPreference_;
}

ConduitDialogModel::Initial ConduitDialogModel::initial() const {
    Initial s;
    s.caption = text(conduit::kStrConduitName);
    s.actionGroup = text(conduit::kStrActionGroup);
    s.syncFolder = ShownFolder(settings_.syncDir, desktop_);
    s.fontFolder = ShownFolder(settings_.fontDir, desktop_);
    s.density = settings_.acceptedDensity == 144;
    s.depth = settings_.acceptedDepth == 16;
    s.compression = settings_.acceptedCompression == 1;
    s.actionButton = buttonForAction(record_.temporaryAction);
    if (record_.creator != 0) {
        s.temporaryText = actionText(record_.temporaryAction);
        s.permanentText = actionText(record_.permanentAction);
        s.userLine = userLine(userName());
    }
    return s;
}

void ConduitDialogModel::depthClicked(bool checked) {
    settings_.acceptedDepth = checked ? 16 : 8;
    file_.write("AcceptedDepth", std::to_string(settings_.acceptedDepth));
}

void ConduitDialogModel::densityClicked(bool checked) {
    settings_.acceptedDensity = checked ? 144 : 72;
    file_.write("AcceptedDensity", std::to_string(settings_.acceptedDensity));
}

void ConduitDialogModel::compressionClicked(bool checked) {
    settings_.acceptedCompression = checked ? 1 : 0;
    file_.write("AcceptedCompression", std::to_string(settings_.acceptedCompression));
}

std::string ConduitDialogModel::syncFolderBrowsed(const std::string& chosen) {
    if (!chosen.empty()) settings_.syncDir = chosen;
    file_.write("SyncDir", settings_.syncDir);
    return ShownFolder(settings_.syncDir, desktop_);
}

bool ConduitDialogModel::fontFolderBrowsed(const std::string& chosen) {
    if (chosen.empty()) return false;
    file_.write("TTFontDirectory", chosen);
    return true;
}

std::optional<ConduitDialogModel::Refusal> ConduitDialogModel::ok(int actionButton, bool setAsDefault,
                                                                  const std::string& syncText, const std::string& fontText) {
    using namespace conduit::dialog_text;
    record_.newAction = actionForButton(actionButton);
    record_.preference = setAsDefault ? kPreferencePermanent : kPreferenceTemporary;
    const auto limited = [](const std::string& s) { return s.substr(0, conduit::kFolderTextLimit); };
    // A relative folder would depend on where HotSync happens to run: refused as an empty one is.
    const auto sync = AcceptedFolder(syncText, desktop_);
    if (!sync) return Refusal{kInvalidSyncPath, kInvalidPathCaption};
    settings_.syncDir = limited(*sync);
    const auto font = AcceptedFolder(fontText, desktop_);
    if (!font) return Refusal{kInvalidFontPath, kInvalidPathCaption};
    settings_.fontDir = limited(*font);
    file_.write("SyncDir", settings_.syncDir);
    file_.write("TTFontDirectory", settings_.fontDir);
    return std::nullopt;
}

std::string ConduitDialogModel::userName() const {
    return std::string(record_.userName, strnlen(record_.userName, sizeof record_.userName));
}

std::optional<std::string> ConduitDialogModel::helpFile(const std::string& modulePath) {
    const auto cut = modulePath.find_last_of('/');
    if (cut == std::string::npos || cut == 0) return std::nullopt;
    return modulePath.substr(0, cut + 1) + conduit::kHelpFileName;
}

int ConduitDialogModel::buttonForAction(std::int32_t syncType) {
    switch (syncType) {
    case 0:
    case 1: return conduit::kIdActionSync;
    case 2: return conduit::kIdActionHandheldOverwrites;
    case 3: return conduit::kIdActionDesktopOverwrites;
    default: return conduit::kIdActionNothing;
    }
}

std::int32_t ConduitDialogModel::actionForButton(int button) {
    switch (button) {
    case conduit::kIdActionSync: return 0;
    case conduit::kIdActionDesktopOverwrites: return 3;
    case conduit::kIdActionHandheldOverwrites: return 2;
    default: return 6;
    }
}

std::string ConduitDialogModel::actionText(std::int32_t syncType) {
    switch (syncType) {
    case 0:
    case 1: return text(conduit::kStrActionSync);
    case 2: return text(conduit::kStrActionHandheldOverwrites);
    case 3: return text(conduit::kStrActionDesktopOverwrites);
    default: return text(conduit::kStrActionNothing);
    }
}
