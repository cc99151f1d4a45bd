// PictureSync.cpp: the picture passes of a synchronisation.
#include "PictureSync.h"

#include "ConduitSettings.h"
#include "HandheldDatabase.h"
#include "PictureNames.h"
#include "picture/PictureEncoder.h"
#include "picture/PictureExporter.h"
#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"
#include "platform/palmdesk/HotSyncLog.h"
#include "platform/win/EqualNoCase.h"
#include "platform/win/WindowsPath.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr const char* kFormatDb = "PictaroFormatDb";
constexpr std::uint8_t kReadMode = eDbRead | eDbShowSecret;

void log(const std::string& text) { LogAddEntry(text.c_str(), slText, false); }

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

std::int32_t createDatabase(HandheldDatabase& db, const std::string& name, std::uint32_t type) {
    SyncCreateDbParams create{};
    create.creator = kCreatorDrAw;
    create.attributes = 0x0008;
    create.card = 0;
    std::memcpy(create.name, name.data(), std::min(name.size(), sizeof create.name - 1));
    create.type = type;
    return db.create(create);
}

bool isBmp(const fs::path& p) { return win::EqualNoCase(p.extension().string(), ".bmp"); }

// A .bmp file of the sync folder and the handheld name the send pass gives it.
struct DesktopPicture {
    fs::path path;
    std::string name;
};

// The folder's .bmp files in name order, so that both passes meet the files in the same order.
std::vector<fs::path> bmpFiles(const std::string& folder) {
    std::error_code error;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file(error) && isBmp(entry.path())) files.push_back(entry.path());
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    return files;
}

std::string stemOf(const fs::path& file) {
    const std::string name = file.filename().string();
    return name.substr(0, name.size() - 4);
}

// Calls visit with each picture database of the type on the handheld, as the search finds them.
template <typename Visit>
void forEachPictureDatabase(std::uint32_t type, Visit visit) {
    for (bool first = true;; first = false) {
        SyncFindDbParams search{0xE0, static_cast<std::uint8_t>(first ? eSearchNew : 0), type, kCreatorDrAw};
        SyncDatabaseInfo found{};
        if (SyncFindDbByTypeCreator(&search, &found) != SYNCERR_NONE) return;
        visit(found);
    }
}

// Each picture database's name on the handheld, of both types.
std::set<std::string> pictureDatabaseNames() {
    std::set<std::string> names;
    for (const std::uint32_t type : {kTypeBpmf, kTypeBpmc})
        forEachPictureDatabase(type, [&](const SyncDatabaseInfo& found) {
            names.emplace(found.name, strnlen(found.name, sizeof found.name));
        });
    return names;
}

bool handheldHas(const std::string& name) {
    HandheldDatabase db;
    return db.open(name, 0, kReadMode) == SYNCERR_NONE;
}

// The file a fetched picture goes to: the file its name gives; else an existing file that the
// send pass would send under this name (a longer name, an upper-case extension, a name taken
// literally); else a file whose name matches without regard to case, as on a Windows folder,
// unless that file belongs to another database.
fs::path fetchTarget(const std::string& folder, const std::vector<DesktopPicture>& files, const std::string& name) {
    const std::string wanted = FileNameForDatabase(name) + ".bmp";
    const fs::path exact = fs::path(folder) / wanted;
    std::error_code error;
    if (fs::exists(exact, error)) return exact;
    for (const auto& file : files)
        if (file.name == name) return file.path;
    for (const auto& file : files)
        if (win::EqualNoCase(file.path.filename().string(), wanted) && !handheldHas(file.name)) return file.path;
    return exact;
}

// The picture of an open database, its records joined; none (with the line logged) when the
// info block cannot be read or the records do not add up to the length it gives.
std::optional<std::vector<std::uint8_t>> readPicture(const HandheldDatabase& db, std::uint32_t records) {
    std::uint8_t info[kPictureInfoSize] = {};
    SyncBlockParams block{info, sizeof info, sizeof info};
    if (SyncReadDBAppInfoBlock(db.handle(), &block) != SYNCERR_NONE) {
        log("Pictaro: failed to read app info block.");
        return std::nullopt;
    }
    if (bytes::loadU16BE(info) != kPictureTag) log("Pictaro: app info block is corrupted.");
    // The length is not trusted: no more is held than the records can carry, and the buffer
    // grows only with what really arrives.
    const std::uint32_t length = bytes::loadU32BE(info + 2);
    if (length > std::uint64_t(records) * kPictureChunk) {
        log("Pictaro: failed to read record.");
        return std::nullopt;
    }
    std::vector<std::uint8_t> picture;
    std::vector<std::uint8_t> chunk(kPictureChunk);
    for (std::uint32_t index = 0; picture.size() < length; ++index) {
        SyncRecordParams r{};
        r.handle = db.handle();
        r.recordIndex = index;
        r.buffer = chunk.data();
        r.bufferSize = static_cast<std::uint32_t>(std::min<std::size_t>(length - picture.size(), kPictureChunk));
        if (SyncReadRecordByIndex(&r) != SYNCERR_NONE || r.dataLength != r.bufferSize) {
            log("Pictaro: failed to read record.");
            return std::nullopt;
        }
        picture.insert(picture.end(), chunk.begin(), chunk.begin() + r.bufferSize);
    }
    return picture;
}

void fetchPicture(const SyncDatabaseInfo& found, const std::string& folder, const std::vector<DesktopPicture>& files,
                  bool overwrite) {
    const std::string name(found.name, strnlen(found.name, sizeof found.name));
    HandheldDatabase db;
    if (db.open(name, found.card, kReadMode) != SYNCERR_NONE) {
        log("Pictaro: failed to open handheld database.");
        return;
    }
    const auto picture = readPicture(db, found.records);
    if (!picture) return;
    log("Pictaro: database successfully read from handheld.");
    db.close();
    const fs::path path = fetchTarget(folder, files, name);
    std::error_code error;
    if (!overwrite && fs::exists(path, error)) return;
    PictureExporter exporter;
    if (!exporter.exportPicture(picture->data(), static_cast<std::uint32_t>(picture->size()), path.string(), overwrite))
        log("Pictaro: failed to write " + path.filename().string() + ": " + exporter.failure() + ".");
}

// Writes the picture into the open database: the info block, then 4096-byte records.
enum class WriteOutcome { Written, InfoBlockFailed, RecordFailed };
WriteOutcome writePicture(const HandheldDatabase& db, const std::vector<std::uint8_t>& record) {
    std::uint8_t info[kPictureInfoSize];
    bytes::ByteWriter w(info);
    w.writeU16(kPictureTag);
    w.writeU32(static_cast<std::uint32_t>(record.size()));
    SyncBlockParams block{info, sizeof info, 0};
    if (SyncWriteDBAppInfoBlock(db.handle(), &block) != SYNCERR_NONE) return WriteOutcome::InfoBlockFailed;
    for (std::size_t offset = 0; offset < record.size(); offset += kPictureChunk) {
        SyncRecordParams r{};
        r.handle = db.handle();
        r.buffer = const_cast<std::uint8_t*>(record.data() + offset);
        r.dataLength = static_cast<std::uint32_t>(std::min(kPictureChunk, record.size() - offset));
        if (SyncWriteRec(&r) != SYNCERR_NONE) return WriteOutcome::RecordFailed;
    }
    return WriteOutcome::Written;
}

struct SendPass {
    DeviceFormat format;
    bool replace = false;
    std::set<std::string> pictures;           // picture databases on the handheld (replace only)
    std::map<std::string, std::string> taken;  // handheld name -> the file that took it in this pass
};

void deleteDatabase(HandheldDatabase& db, const std::string& name) {
    db.close();
    SyncDeleteDB(name.c_str(), 0);
}

void sendPicture(const fs::path& file, SendPass& pass) {
    const std::string fileName = file.filename().string();
    const std::string name = DatabaseNameFromFile(stemOf(file));
    if (const auto [it, added] = pass.taken.emplace(name, fileName); !added) {
        log("Pictaro: " + fileName + " is not sent to handheld because " + it->second + " already has its name \"" +
            name + "\".");
        return;
    }
    const std::uint32_t type = pass.format.compression ? kTypeBpmc : kTypeBpmf;
    HandheldDatabase db;
    const std::int32_t rc = createDatabase(db, name, type);
    bool replacing = false;
    if (rc == SYNCERR_FILE_ALREADY_EXISTS) {
        if (!pass.replace) return;
        // Whatever else bears the name (another application's database, the format database)
        // is never touched.
        if (!pass.pictures.contains(name)) {
            log("Pictaro: failed to create database on handheld.");
            return;
        }
        replacing = true;  // the old picture goes only once the new one is encoded
    } else if (rc != SYNCERR_NONE) {
        log("Pictaro: failed to create database on handheld.");
        return;
    }
    std::vector<std::uint8_t> record;
    std::uint32_t length = 0;
    buildPictureRecord(file.string(), pass.format, record, length);
    if (record.empty()) {
        std::swap(pass.format.maxWidth, pass.format.maxHeight);
        buildPictureRecord(file.string(), pass.format, record, length);
    }
    if (record.empty()) {
        char line[512];
        std::snprintf(line, sizeof line,
                      "Pictaro: Cannot download %s file to handheld because the device supports %d x %d bitmaps with "
                      "maximum size of %u bytes of raw data",
                      fileName.c_str(), pass.format.maxWidth, pass.format.maxHeight, pass.format.maxRawSize);
        log(line);
        if (!replacing) deleteDatabase(db, name);
        return;
    }
    if (replacing) {
        SyncDeleteDB(name.c_str(), 0);
        if (createDatabase(db, name, type) != SYNCERR_NONE) {
            log("Pictaro: failed to create database on handheld.");
            return;
        }
    }
    switch (writePicture(db, record)) {
    case WriteOutcome::Written:
        log("Pictaro: database successfully created on handheld.");
        db.close();
        break;
    case WriteOutcome::InfoBlockFailed:
        log("Pictaro: failed to write app info block.");
        deleteDatabase(db, name);
        break;
    case WriteOutcome::RecordFailed:
        log("Pictaro: failed to write record.");
        db.close();
        log("Pictaro: failed to create database on handheld. Check whethere there is enough free space");
        deleteDatabase(db, name);
        break;
    }
}
}  // namespace

std::optional<std::string> SyncFolder() {
    const std::string& dir = Settings().syncDir;
    const bool drivePath = dir.size() >= 3 && std::isalpha(static_cast<unsigned char>(dir[0])) && dir[1] == ':' &&
                           (dir[2] == '\\' || dir[2] == '/');
    const bool desktopPath = !dir.empty() && dir[0] == '/';
    if (!drivePath && !desktopPath) return std::nullopt;
    return win::ResolveWindowsPath(dir);
}

bool CheckSyncFolder() {
    if (SyncFolder()) return true;
    log("Pictaro: the sync folder \"" + Settings().syncDir + "\" is not a full path; no pictures were exchanged.");
    return false;
}

void FetchPictures(std::uint32_t type, bool overwrite) {
    const auto folder = SyncFolder();
    if (!folder) return;
    std::vector<DesktopPicture> files;
    for (auto& path : bmpFiles(*folder)) files.push_back({path, DatabaseNameFromFile(stemOf(path))});
    forEachPictureDatabase(type, [&](const SyncDatabaseInfo& found) { fetchPicture(found, *folder, files, overwrite); });
}

DeviceFormat ReadDeviceFormat() {
    HandheldDatabase db;
    if (db.open(kFormatDb, 0, kReadMode) != SYNCERR_NONE) return defaultFormat();
    std::uint8_t record[16] = {};
    SyncRecordParams r{};
    r.handle = db.handle();
    r.buffer = record;
    r.bufferSize = sizeof record;
    if (SyncReadRecordByIndex(&r) != SYNCERR_NONE) {
        log("Pictaro: failed to read record from format db.");
        return defaultFormat();
    }
    // Three unused bytes, the depth, the largest width and height, the density, the largest raw
    // size and the compression; every read fits the 16 bytes.
    bytes::ByteReader fields(record);
    fields.skip(3);
    DeviceFormat f;
    f.depth = *fields.readU8();
    f.maxWidth = *fields.readI16();
    f.maxHeight = *fields.readI16();
    f.density = *fields.readU16();
    f.maxRawSize = *fields.readU32();
    f.compression = *fields.readU8();
    if (Settings().acceptedDensity == 72) f.density = 72;
    if (Settings().acceptedDepth < f.depth) f.depth = Settings().acceptedDepth;
    f.compression = Settings().acceptedCompression;
    return f;
}

void SendPictures(bool replace) {
    const auto folder = SyncFolder();
    if (!folder) return;
    SendPass pass;
    pass.format = ReadDeviceFormat();
    pass.replace = replace;
    const auto files = bmpFiles(*folder);
    if (files.empty()) return;
    if (replace) pass.pictures = pictureDatabaseNames();
    for (const auto& file : files) sendPicture(file, pass);
}
