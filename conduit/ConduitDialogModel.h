// ConduitDialogModel.h: what the conduit's configuration dialog decides, apart from its window:
// what it shows when it opens, which settings each button writes and in what order, what OK puts
// into HotSync's configuration record and when OK is refused, and where its help page is.
#pragma once

#include "ConduitPaths.h"

#include <cstdint>
#include <optional>
#include <string>

struct ConfigurationRecord;
struct PictaroSettings;
class SettingsFile;

class ConduitDialogModel {
public:
    // The references must outlive the model; the record is read and written in place. Folders
    // are shown and typed ones taken on desktop's terms.
    ConduitDialogModel(ConfigurationRecord& record, PictaroSettings& settings, SettingsFile& file,
                       DesktopFolders desktop = DesktopFolders::ThisDesktop());

    // What the dialog shows when it opens. The user line and the two action texts are only set for
    // a record that names a creator; otherwise the template's texts stay.
    struct Initial {
        std::string caption;
        std::string actionGroup;
        std::string syncFolder;
        std::string fontFolder;
        bool depth = false;
        bool density = false;
        bool compression = false;
        int actionButton = 0;
        std::optional<std::string> userLine;
        std::optional<std::string> permanentText;
        std::optional<std::string> temporaryText;
    };
    Initial initial() const;

    // The three check boxes, when clicked: each changes its setting and writes it at once.
    void depthClicked(bool checked);
    void densityClicked(bool checked);
    void compressionClicked(bool checked);

    // The sync folder browser yielded `chosen` (empty when cancelled). A non-empty path becomes the
    // sync folder; SyncDir is written in every case. Returns the folder the box shows.
    std::string syncFolderBrowsed(const std::string& chosen);
    // The fonts folder browser yielded `chosen`; when it is not empty it is written as
    // TTFontDirectory and true says the box shows it. The in-memory font folder takes it only at OK.
    bool fontFolderBrowsed(const std::string& chosen);

    struct Refusal {
        std::string text;
        std::string caption;
    };
    // OK with the selected action button, the "Set as Default" box and the two folder texts.
    // The record's new action and preference are stored before the folders are looked at, so a
    // refused OK has already changed the record. Nothing (accepted) or the message to show.
    std::optional<Refusal> ok(int actionButton, bool setAsDefault, const std::string& syncText, const std::string& fontText);
    // Cancel: the record's new action and preference go back to what they were when the dialog
    // opened, also after a refused OK had set them. What the check boxes and Set Folder buttons
    // wrote stays.
    void cancelled();

    // The user name of the record (its 64 characters need not end in a zero).
    std::string userName() const;

    // The help page beside the module at modulePath: the path cut after its last separator, which
    // must lie past the first character; none when there is no such separator.
    static std::optional<std::string> helpFile(const std::string& modulePath);
    // The action button for a sync type (0 and 1: sync; 2; 3; anything else: nothing), the sync
    // type of a button, and the text that names a sync type.
    static int buttonForAction(std::int32_t syncType);
    static std::int32_t actionForButton(int button);
    static std::string actionText(std::int32_t syncType);

private:
    ConfigurationRecord& record_;
    PictaroSettings& settings_;
    SettingsFile& file_;
    DesktopFolders desktop_;
    std::int32_t openedAction_;
    std::int32_t openedPreference_;
};
