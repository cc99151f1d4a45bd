// ConduitDialog.h: dialog 101, the conduit's configuration dialog: its control identifiers and
// the texts its template gives them (some are replaced when the dialog opens).
#pragma once

namespace conduit {

inline constexpr int kDialogConfigure = 101;

enum ControlId : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdHelp = 9,
    kIdActionGroup = 403,
    kIdActionSync = 404,
    kIdActionDesktopOverwrites = 405,
    kIdActionHandheldOverwrites = 406,
    kIdActionNothing = 407,
    kIdSetAsDefault = 411,
    kIdPictureSync = 1000,
    kIdPictureDesktopOverwrites = 1001,
    kIdPictureHandheldOverwrites = 1002,
    kIdPictureNothing = 1003,
    kIdPermanentAction = 1004,
    kIdTemporaryAction = 1005,
    kIdUserGroup = 1006,
    kIdSetSyncFolder = 1008,
    kIdSyncFolder = 1010,
    kIdFontFolder = 1011,
    kIdDepth = 1012,
    kIdDensity = 1013,
    kIdCompression = 1014,
    kIdInstallFonts = 1015,
    kIdSetFontFolder = 1016,
};

// Bitmaps shown beside the four action buttons, in the order of the buttons.
inline constexpr int kBitmapSync = 103;
inline constexpr int kBitmapDesktopOverwrites = 104;
inline constexpr int kBitmapHandheldOverwrites = 105;
inline constexpr int kBitmapNothing = 106;

// Folder texts hold at most this many characters.
inline constexpr int kFolderTextLimit = 259;

namespace dialog_text {
inline constexpr const char* kUserGroup = "<User's Current Settings Place Holder>";
inline constexpr const char* kDefaultActionLabel = "Default HotSync Action:";
inline constexpr const char* kNextActionLabel = "Next HotSync Action:";
inline constexpr const char* kStatic = "Static";
inline constexpr const char* kSyncSettingsGroup = "Synchronization Settings";
inline constexpr const char* kSyncFolderLabel = "Sync Folder:";
inline constexpr const char* kSetFolder = "Set Folder";
inline constexpr const char* kDepth = "Download 16-bit bitmaps to handheld";
inline constexpr const char* kDensity = "Download double density bitmaps to handheld";
inline constexpr const char* kCompression = "Download compressed bitmaps to handheld";
inline constexpr const char* kFontsGroup = "True Type Fonts";
inline constexpr const char* kFontFolderLabel = "Fonts Folder:";
inline constexpr const char* kInstallFonts = "Install Fonts";
inline constexpr const char* kActionGroup = "<Conduit Name HotSync Action Place Holder>";
inline constexpr const char* kActionSync = "&Synchronize the files";
inline constexpr const char* kActionDesktopOverwrites = "&Desktop overwrites handheld";
inline constexpr const char* kActionHandheldOverwrites = "&Handheld overwrites desktop";
inline constexpr const char* kActionNothing = "Do &nothing";
inline constexpr const char* kSetAsDefault = "Set &as Default";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancel = "Cancel";
inline constexpr const char* kHelp = "Help";

// Texts of the dialog's own boxes.
inline constexpr const char* kBrowseSyncFolder = "Select sync folder";
inline constexpr const char* kBrowseFontFolder = "Select fonts folder";
inline constexpr const char* kInvalidPathCaption = "Invalid path";
inline constexpr const char* kInvalidSyncPath = "Please enter a valid path!";
inline constexpr const char* kInvalidFontPath = "Please enter a valid path for font folder!";
inline constexpr const char* kTooManyFiles = "Too many files selected!";
inline constexpr const char* kFontFilter = "TTF";
inline constexpr const char* kFontPattern = "*.TTF";
}  // namespace dialog_text

// The conduit's help page, in the folder of the conduit's module.
inline constexpr const char* kHelpFileName = "hotsync.html";

}  // namespace conduit
