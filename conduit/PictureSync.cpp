// PictureSync.cpp
#include "PictureSync.h"

#include "ConduitSettings.h"
#include "picture/PictureEncoder.h"
#include "picture/PictureExporter.h"
#include "platform/palmdesk/HotSyncLog.h"
#include "platform/palmdesk/SyncApi.h"
#include "platform/win/WindowsPath.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {
constexpr std::uint16_t kPictureTag = 12;
constexpr const char* kFormatDb = "PictaroFormatDb";

void log(const char* text) { LogAddEntry(text, slText, false); }

std::string syncFolder() { return win::ResolveWindowsPath(Settings().syncDir); }

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

DeviceFormat defaultFormat() {
    DeviceFormat f;
    f.depth = Settings().acceptedDepth;
    f.maxWidth = 4096;
    f.maxHeight = 4096;
    f.density = Settings().acceptedDensity;
    f.maxRawSize = 1048576;
    f.compression = Settings().acceptedCompression;
    return f;
}

std::int32_t createDatabase(const std::string& name, std::uint32_t type, std::uint8_t& handle) {
    SyncCreateDbParams create{};
    create.creator = kCreatorDrAw;
    create.attributes = 0x0008;
    create.card = 0;
    std::memcpy(create.name, name.data(), std::min<std::size_t>(name.size(), sizeof create.name - 1));
    create.type = type;
    return SyncCreateDB(&create, &handle);
}

bool isBmp(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".bmp";
}

// Writes the picture into the open database: the info block, then 4096-byte records.
enum class WriteOutcome { Written, InfoBlockFailed, RecordFailed };
WriteOutcome writePicture(std::uint8_t handle, const std::vector<std::uint8_t>& record) {
    std::uint8_t info[6] = {0, kPictureTag, static_cast<std::uint8_t>(record.size() >> 24),
                            static_cast<std::uint8_t>(record.size() >> 16), static_cast<std::uint8_t>(record.size() >> 8),
                            static_cast<std::uint8_t>(record.size())};
    SyncBlockParams block{info, 6, 0};
    if (SyncWriteDBAppInfoBlock(handle, &block) != SYNCERR_NONE) return WriteOutcome::InfoBlockFailed;
    for (std::size_t offset = 0; offset < record.size(); offset += kPictureChunk) {
        SyncRecordParams r{};
        r.handle = handle;
        r.buffer = const_cast<std::uint8_t*>(record.data() + offset);
        r.dataLength = static_cast<std::uint32_t>(std::min(kPictureChunk, record.size() - offset));
        if (SyncWriteRec(&r) != SYNCERR_NONE) {
            log("Pictaro: failed to write record.");
            return WriteOutcome::RecordFailed;
        }
    }
    return WriteOutcome::Written;
}
}  // namespace

std::string FileNameForDatabase(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (b < 0x20 || b == 0x7F || name[i] == '/' || name[i] == '\\' || name[i] == '%' || (i == 0 && name[i] == '.')) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            out += hex;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::string DatabaseNameFromFile(const std::string& stem) {
    std::string out;
    for (std::size_t i = 0; i < stem.size(); ++i) {
        if (stem[i] == '%' && i + 2 < stem.size() + 0 && std::isxdigit(static_cast<unsigned char>(stem[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(stem[i + 2]))) {
            out += static_cast<char>(std::stoi(stem.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += stem[i];
        }
    }
    return out;
}

void FetchPictures(std::uint32_t type, bool overwrite) {
    for (bool first = true;; first = false) {
        SyncFindDbParams search{0xE0, static_cast<std::uint8_t>(first ? eSearchNew : 0), type, kCreatorDrAw};
        SyncDatabaseInfo found{};
        if (SyncFindDbByTypeCreator(&search, &found) != SYNCERR_NONE) return;
        const std::string name(found.name, strnlen(found.name, sizeof found.name));
        std::uint8_t handle = 0;
        if (SyncOpenDB(name.c_str(), found.card, &handle, eDbRead | eDbShowSecret) != SYNCERR_NONE) {
            log("Pictaro: failed to open handheld database.");
            return;
        }
        std::uint8_t info[6] = {};
        SyncBlockParams block{info, 6, 6};
        if (SyncReadDBAppInfoBlock(handle, &block) != SYNCERR_NONE) {
            log("Pictaro: failed to read app info block.");
            SyncCloseDB(handle);
            return;
        }
        if ((info[0] << 8 | info[1]) != kPictureTag) log("Pictaro: app info block is corrupted.");
        const std::uint32_t length = bigEndian32(info + 2);
        std::vector<std::uint8_t> picture;
        try {
            picture.assign(length, 0);
        } catch (const std::bad_alloc&) {
            log("Pictaro: failed to read record.");
            SyncCloseDB(handle);
            return;
        }
        std::int64_t remaining = length;
        bool readFailed = false;
        for (std::uint32_t index = 0; remaining > 0; ++index, remaining -= std::int64_t(kPictureChunk)) {
            SyncRecordParams r{};
            r.handle = handle;
            r.recordIndex = index;
            r.buffer = picture.data() + std::size_t(index) * kPictureChunk;
            r.bufferSize = static_cast<std::uint32_t>(std::min<std::int64_t>(remaining, std::int64_t(kPictureChunk)));
            if (SyncReadRecordByIndex(&r) != SYNCERR_NONE) {
                readFailed = true;
                break;
            }
        }
        if (readFailed) {
            log("Pictaro: failed to read record.");
            SyncCloseDB(handle);
            return;
        }
        log("Pictaro: database successfully read from handheld.");
        SyncCloseDB(handle);
        const std::string path = syncFolder() + "/" + FileNameForDatabase(name) + ".bmp";
        PictureExporter exporter;
        exporter.exportPicture(picture.data(), length, path, overwrite);
    }
}

DeviceFormat ReadDeviceFormat() {
    std::uint8_t handle = 0;
    if (SyncOpenDB(kFormatDb, 0, &handle, eDbRead | eDbShowSecret) != SYNCERR_NONE) return defaultFormat();
    std::uint8_t bytes[16] = {};
    SyncRecordParams r{};
    r.handle = handle;
    r.buffer = bytes;
    r.bufferSize = sizeof bytes;
    if (SyncReadRecordByIndex(&r) != SYNCERR_NONE) {
        log("Pictaro: failed to read record from format db.");
        SyncCloseDB(handle);
        return defaultFormat();
    }
    DeviceFormat f;
    f.depth = bytes[3];
    f.maxWidth = static_cast<std::int16_t>(bytes[4] << 8 | bytes[5]);
    f.maxHeight = static_cast<std::int16_t>(bytes[6] << 8 | bytes[7]);
    f.density = static_cast<std::uint16_t>(bytes[8] << 8 | bytes[9]);
    f.maxRawSize = bigEndian32(bytes + 10);
    f.compression = bytes[14];
    if (Settings().acceptedDensity == 72) f.density = 72;
    if (Settings().acceptedDepth < f.depth) f.depth = Settings().acceptedDepth;
    f.compression = Settings().acceptedCompression;
    SyncCloseDB(handle);
    return f;
}

void SendPictures(bool replace) {
    DeviceFormat format = ReadDeviceFormat();
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(syncFolder(), error))
        if (entry.is_regular_file(error) && isBmp(entry.path())) files.push_back(entry.path());
    for (const auto& file : files) {
        const std::string fileName = file.filename().string();
        const std::string name = DatabaseNameFromFile(fileName.substr(0, fileName.size() - 4));
        const std::uint32_t type = format.compression ? kTypeBpmc : kTypeBpmf;
        std::uint8_t handle = 0;
        std::int32_t rc = createDatabase(name, type, handle);
        bool replacing = false;
        if (rc == SYNCERR_FILE_ALREADY_EXISTS) {
            if (!replace) continue;
            replacing = true;  // the old database goes only once the new picture is encoded
        } else if (rc != SYNCERR_NONE) {
            log("Pictaro: failed to create database on handheld.");
            continue;
        }
        std::vector<std::uint8_t> record;
        std::uint32_t length = 0;
        buildPictureRecord(file.string(), format, record, length);
        if (record.empty()) {
            std::swap(format.maxWidth, format.maxHeight);
            buildPictureRecord(file.string(), format, record, length);
        }
        if (record.empty()) {
            char line[512];
            std::snprintf(line, sizeof line,
                          "Pictaro: Cannot download %s file to handheld because the device supports %d x %d bitmaps with "
                          "maximum size of %u bytes of raw data",
                          fileName.c_str(), format.maxWidth, format.maxHeight, format.maxRawSize);
            log(line);
            if (!replacing) {
                SyncCloseDB(handle);
                SyncDeleteDB(name.c_str(), 0);
            }
            continue;
        }
        if (replacing) {
            SyncDeleteDB(name.c_str(), 0);
            if (createDatabase(name, type, handle) != SYNCERR_NONE) {
                log("Pictaro: failed to create database on handheld.");
                continue;
            }
        }
        switch (writePicture(handle, record)) {
        case WriteOutcome::Written:
            log("Pictaro: database successfully created on handheld.");
            SyncCloseDB(handle);
            break;
        case WriteOutcome::InfoBlockFailed:
            log("Pictaro: failed to write app info block.");
            SyncCloseDB(handle);
            SyncDeleteDB(name.c_str(), 0);
            break;
        case WriteOutcome::RecordFailed:
            SyncCloseDB(handle);
            log("Pictaro: failed to create database on handheld. Check whethere there is enough free space");
            SyncDeleteDB(name.c_str(), 0);
            break;
        }
    }
}
