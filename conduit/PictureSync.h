// PictureSync.h: the picture passes of a synchronisation. The fetch pass turns the handheld's
// picture databases (creator DrAw, type bpmf or bpmc; application info block: tag 12 and the
// picture's length, big-endian; the PictureRecord cut into 4096-byte records) into .bmp files of
// the sync folder; the send pass turns the folder's .bmp files into new databases within the
// handheld's device format. Every outcome is a line of the HotSync log.
#pragma once

#include "picture/DeviceFormat.h"

#include <cstdint>
#include <string>

inline constexpr std::uint32_t kCreatorDrAw = 0x44724177;
inline constexpr std::uint32_t kTypeBpmf = 0x62706D66;
inline constexpr std::uint32_t kTypeBpmc = 0x62706D63;
inline constexpr std::size_t kPictureChunk = 4096;

void FetchPictures(std::uint32_t type, bool overwrite);
void SendPictures(bool replace);
// Record 0 of "PictaroFormatDb" with the settings applied, or the default format.
DeviceFormat ReadDeviceFormat();

// A handheld database name as a file name inside the sync folder: "/", "\", "%", control bytes
// and a leading "." become %XX, so that no name can reach outside the folder; ordinary names stay
// as they are. DatabaseNameFromFile undoes it.
std::string FileNameForDatabase(const std::string& name);
std::string DatabaseNameFromFile(const std::string& fileStem);
