// PictureSync.h: the picture passes of a synchronisation. The fetch pass turns the handheld's
// picture databases (creator DrAw, type bpmf or bpmc; application info block: tag 12 and the
// picture's length, big-endian; the PictureRecord cut into 4096-byte records) into .bmp files of
// the sync folder; the send pass turns the folder's .bmp files into new databases within the
// handheld's device format. Every outcome is a line of the HotSync log. Names travel as
// PictureNames.h says.
#pragma once

#include "picture/DeviceFormat.h"
#include "picture/PictureDatabase.h"

#include <cstdint>
#include <optional>
#include <string>

// Every pass takes the settings the synchronisation read when it began.
struct PictaroSettings;

// The sync folder, SyncDir resolved; none when SyncDir is empty or not a full path ("C:\..."),
// since a relative folder would land wherever the HotSync manager happens to run.
std::optional<std::string> SyncFolder(const PictaroSettings& settings);
// True when there is a sync folder; otherwise logs the one line that says no picture moves.
bool CheckSyncFolder(const PictaroSettings& settings);

// Each unreadable database logs its line and the pass goes on with the next one. A picture that
// cannot be written to the desktop logs a line naming the file and the reason.
void FetchPictures(const PictaroSettings& settings, std::uint32_t type, bool overwrite);
// Only picture databases (creator DrAw, type bpmf or bpmc) are ever replaced. A file whose
// handheld name an earlier file of the pass already took is logged and skipped.
void SendPictures(const PictaroSettings& settings, bool replace);
// Record 0 of "PictaroFormatDb" with the settings applied, or the default format.
DeviceFormat ReadDeviceFormat(const PictaroSettings& settings);
