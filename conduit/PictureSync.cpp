// PictureSync.cpp: the picture passes of a synchronisation.
#include "PictureSync.h"

#include "ConduitSettings.h"
#include "HandheldDatabase.h"
#include "PictureNames.h"
#include "picture/PictureEncoder.h"
#include "picture/PictureExporter.h"
#include "platform/bytes/ByteReader.h"
#include "palmdesk/HotSyncLog.h"
#include "platform/gdi/BmpFile.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/EqualNoCase.h"
#include "platform/win/WholeFile.h"
#include "platform/win/WindowsPath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr const char* kFormatDb = "PictaroFormatDb";
constexpr std::uint8_t kReadMode = eDbRead | eDbShowSecret;

void log(const std::string& text) { LogAddEntry(text.c_str(), slText, false); }
// A line of our own beside the passes' lines, naming the picture or database and the cause;
// logged as a problem, so that the HotSync manager counts it.
void problem(const std::string& text) { LogAddEntry(("Pictaro: " + text).c_str(), slWarning, false); }

// What a Sync API result means, for a problem line.
std::string syncFailure(std::int32_t rc) {
    switch (rc) {
    case SYNCERR_NO_SPACE: return "the handheld is full";
    case SYNCERR_NOT_FOUND: return "the handheld has no such database";
    case SYNCERR_TOO_MANY_OPEN_FILES: return "too many databases are open";
    case SYNCERR_NO_USER: return "no synchronisation is in progress";
    default: {
        char text[48];
        std::snprintf(text, sizeof text, "the handheld answered 0x%04X", static_cast<unsigned>(rc));
        return text;
    }
    }
}

// A count in decimal. (Not std::to_string: its digit table is a unique symbol, which would keep
// the module loaded after HotSync unloads it.)
std::string decimal(std::uint64_t n) {
    char text[24];
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(n));
    return text;
}

// Whether the sync folder of this synchronisation was found missing or unwritable: said once.
bool syncFolderUnusable = false;

DeviceFormat defaultFormat(const PictaroSettings& settings) {
    DeviceFormat f;
    f.depth = settings.acceptedDepth;
    f.maxWidth = 4096;
    f.maxHeight = 4096;
    f.density = settings.acceptedDensity;
    f.maxRawSize = 1048576;
    f.compression = settings.acceptedCompression;
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
std::optional<std::vector<std::uint8_t>> readPicture(const HandheldDatabase& db, const std::string& name,
                                                     std::uint32_t records) {
    std::uint8_t info[kPictureInfoSize] = {};
    SyncBlockParams block{info, sizeof info, sizeof info};
    if (const std::int32_t rc = SyncReadDBAppInfoBlock(db.handle(), &block); rc != SYNCERR_NONE) {
        log("Pictaro: failed to read app info block.");
        problem("the picture \"" + name + "\" was not read: its info block cannot be read (" +
                (rc == SYNCERR_NOT_FOUND ? std::string("it has none") : syncFailure(rc)) + ").");
        return std::nullopt;
    }
    // The block is read into six zeroed bytes, so a shorter one still gives fields.
    const PictureInfo fields = *readPictureInfo(info);
    if (fields.tag != kPictureTag) {
        log("Pictaro: app info block is corrupted.");
        log("Pictaro: the picture \"" + name + "\" has the info block tag " + decimal(fields.tag) + ", not 12; it is read all the same.");
    }
    // The length is not trusted: no more is held than the records can carry, and the buffer
    // grows only with what really arrives.
    const std::uint32_t length = fields.length;
    if (length > std::uint64_t(records) * kPictureChunk) {
        log("Pictaro: failed to read record.");
        problem("the picture \"" + name + "\" was not read: its info block gives " + decimal(length) +
                " bytes, more than its " + decimal(records) + " records hold.");
        return std::nullopt;
    }
    std::vector<std::uint8_t> chunk(kPictureChunk);
    auto joined = joinPictureRecords(length, records, [&](std::uint32_t index, std::size_t wanted)
                                                          -> std::optional<std::span<const std::uint8_t>> {
        SyncRecordParams r{};
        r.handle = db.handle();
        r.recordIndex = index;
        r.buffer = chunk.data();
        r.bufferSize = static_cast<std::uint32_t>(wanted);
        const std::int32_t rc = SyncReadRecordByIndex(&r);
        if (rc != SYNCERR_NONE || r.dataLength != r.bufferSize) {
            log("Pictaro: failed to read record.");
            problem("the picture \"" + name + "\" was not read: record " + decimal(index) + " " +
                    (rc != SYNCERR_NONE ? "cannot be read (" + syncFailure(rc) + ")"
                                        : "holds " + decimal(r.dataLength) + " bytes, not " +
                                              decimal(r.bufferSize)) +
                    ".");
            return std::nullopt;
        }
        return std::span<const std::uint8_t>(chunk.data(), wanted);
    });
    if (joined.outcome != JoinedPicture::Outcome::Complete) return std::nullopt;
    return std::move(joined.bytes);
}

void fetchPicture(const SyncDatabaseInfo& found, const std::string& folder, const std::vector<DesktopPicture>& files,
                  bool overwrite) {
    const std::string name(found.name, strnlen(found.name, sizeof found.name));
    HandheldDatabase db;
    if (const std::int32_t rc = db.open(name, found.card, kReadMode); rc != SYNCERR_NONE) {
        log("Pictaro: failed to open handheld database.");
        problem("the picture \"" + name + "\" cannot be opened (" + syncFailure(rc) + ").");
        return;
    }
    const auto picture = readPicture(db, name, found.records);
    if (!picture) return;
    log("Pictaro: database successfully read from handheld.");
    db.close();
    if (syncFolderUnusable) return;  // said once already
    const fs::path path = fetchTarget(folder, files, name);
    std::error_code error;
    if (!overwrite && fs::exists(path, error)) return;
    // The user's read-only file is theirs to keep.
    if (struct stat info {}; ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0) {
        problem(path.filename().string() + " is read-only; the picture \"" + name + "\" does not replace it.");
        return;
    }
    PictureExporter exporter;
    if (!exporter.exportPicture(picture->data(), static_cast<std::uint32_t>(picture->size()), path.string(), overwrite))
        problem("failed to write " + path.filename().string() + ": " + exporter.failure() + ".");
}

// Writes the picture into the open database: the info block, then 4096-byte records.
enum class WriteOutcome { Written, InfoBlockFailed, RecordFailed };
WriteOutcome writePicture(const HandheldDatabase& db, const std::vector<std::uint8_t>& record) {
    auto info = pictureInfoBlock(static_cast<std::uint32_t>(record.size()));
    SyncBlockParams block{info.data(), static_cast<std::uint32_t>(info.size()), 0};
    if (SyncWriteDBAppInfoBlock(db.handle(), &block) != SYNCERR_NONE) return WriteOutcome::InfoBlockFailed;
    for (std::size_t offset = 0; offset < record.size(); offset += kPictureChunk) {
        SyncRecordParams r{};
        r.handle = db.handle();
        r.buffer = const_cast<std::uint8_t*>(record.data() + offset);
        r.dataLength = static_cast<std::uint32_t>(pictureChunkAt(record.size(), offset));
        if (SyncWriteRec(&r) != SYNCERR_NONE) return WriteOutcome::RecordFailed;
    }
    return WriteOutcome::Written;
}

// A picture's record as the pass encodes it.
struct Encoded {
    std::vector<std::uint8_t> record;
    std::uint32_t length = 0;
    EncodeRefusal refusal = EncodeRefusal::None;
};

// Encodes the pictures of a send pass on a thread of its own, a few ahead of the pass, so that
// one picture is encoded while the one before it is stored. The records are those the pass
// would encode itself: encoding reads only the picture and the limits. Limits the same either
// way round only, since which way round the pass tries them first depends on the pictures
// before it.
class EncodeAhead {
public:
    EncodeAhead(const std::vector<fs::path>& files, const DeviceFormat& format)
        : files_(files), format_(format), results_(files.size()), thread_([this] { run(); }) {}
    ~EncodeAhead() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
            changed_.notify_all();
        }
        thread_.join();
    }
    EncodeAhead(const EncodeAhead&) = delete;
    EncodeAhead& operator=(const EncodeAhead&) = delete;

    // The encoding of files[index], once it is done; none when encoding it failed (memory), for
    // the pass to encode it itself. The pass has then done with every picture before index.
    std::optional<Encoded> Take(std::size_t index) {
        std::unique_lock lock(mutex_);
        for (std::size_t i = passAt_; i < index; ++i) results_[i].reset();
        passAt_ = std::max(passAt_, index + 1);
        changed_.notify_all();
        changed_.wait(lock, [&] { return done_ > index; });
        auto taken = std::move(results_[index]);
        results_[index].reset();
        return taken;
    }

private:
    static constexpr std::size_t kAhead = 4;  // records held at most, a few hundred KB each

    void run() {
        for (std::size_t i = 0; i < files_.size(); ++i) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || i < passAt_ + kAhead; });
                if (stop_) return;
                // A picture the pass went past (its name taken, say) is not encoded.
                if (i + 1 < passAt_) {
                    done_ = i + 1;
                    continue;
                }
            }
            std::optional<Encoded> encoded;
            try {
                encoded.emplace();
                buildPictureRecord(files_[i].string(), format_, encoded->record, encoded->length, &encoded->refusal);
            } catch (...) {
                encoded.reset();
            }
            {
                std::lock_guard lock(mutex_);
                results_[i] = std::move(encoded);
                done_ = i + 1;
                changed_.notify_all();
            }
        }
    }

    const std::vector<fs::path>& files_;
    const DeviceFormat format_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<Encoded>> results_;
    std::size_t passAt_ = 0;  // the pass has done with every picture before this one
    std::size_t done_ = 0;    // every picture before this one is encoded (or passed over)
    bool stop_ = false;
    std::thread thread_;
};

struct SendPass {
    DeviceFormat format;
    EncodeAhead* ahead = nullptr;
    bool replace = false;
    std::set<std::string> pictures;           // picture databases on the handheld (replace only)
    std::map<std::string, std::string> taken;  // handheld name -> the file that took it in this pass
};

// Why a picture was not encoded, in words: the limit it passes, or the reader's own reason.
std::string refusalText(const fs::path& file, EncodeRefusal refusal) {
    switch (refusal) {
    case EncodeRefusal::TooWide:
    case EncodeRefusal::TooTall: return "it is larger than the handheld shows either way round";
    case EncodeRefusal::RawTooLarge: return "it holds more pixel data than the handheld takes";
    case EncodeRefusal::NoPixels: return "it has no rows left once cut to even dimensions";
    default: break;
    }
    // A picture of another kind under a .bmp name is named for what it is.
    if (const auto start = win::ReadFileStart(file.string(), 8)) {
        const auto startsWith = [&](std::string_view magic) {
            return start->size() >= magic.size() && std::equal(magic.begin(), magic.end(), start->begin(),
                                                               [](char m, std::uint8_t b) { return static_cast<std::uint8_t>(m) == b; });
        };
        if (start->empty()) return "the file is empty";
        if (startsWith("\x89PNG\r\n\x1A\n")) return "it is a PNG picture, not a .bmp file";
        if (startsWith("\xFF\xD8\xFF")) return "it is a JPEG picture, not a .bmp file";
        if (startsWith("GIF8")) return "it is a GIF picture, not a .bmp file";
    }
    std::string why;
    if (gdi::BmpRowReader::Open(file.string(), &why) || why.empty()) why = "its pixels cannot be read";
    return "it is not a picture the conduit reads: " + why;
}

void deleteDatabase(HandheldDatabase& db, const std::string& name) {
    db.close();
    SyncDeleteDB(name.c_str(), 0);
}

// The picture's record under the pass's limits, tried the other way round when it does not fit
// (which leaves the limits exchanged for the pictures after it).
Encoded encodePicture(std::size_t index, const fs::path& file, SendPass& pass) {
    std::optional<Encoded> ahead;
    if (pass.ahead) ahead = pass.ahead->Take(index);
    if (ahead) {
        // The limits are the same either way round: the second try would give the same.
        if (ahead->record.empty()) std::swap(pass.format.maxWidth, pass.format.maxHeight);
        return std::move(*ahead);
    }
    Encoded e;
    buildPictureRecord(file.string(), pass.format, e.record, e.length, &e.refusal);
    if (e.record.empty()) {
        std::swap(pass.format.maxWidth, pass.format.maxHeight);
        buildPictureRecord(file.string(), pass.format, e.record, e.length, &e.refusal);
    }
    return e;
}

void sendPicture(std::size_t index, const fs::path& file, SendPass& pass) {
    const std::string fileName = file.filename().string();
    const std::string name = DatabaseNameFromFile(stemOf(file));
    if (const auto [it, added] = pass.taken.emplace(name, fileName); !added) {
        problem(fileName + " is not sent to handheld because " + it->second + " already has its name \"" + name + "\".");
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
            problem(fileName + " is not sent: \"" + name + "\" is the name of a database that is no picture.");
            return;
        }
        replacing = true;  // the old picture goes only once the new one is encoded
    } else if (rc != SYNCERR_NONE) {
        log("Pictaro: failed to create database on handheld.");
        problem(fileName + " is not sent: the database \"" + name + "\" cannot be created (" + syncFailure(rc) + ").");
        return;
    }
    const Encoded encoded = encodePicture(index, file, pass);
    const std::vector<std::uint8_t>& record = encoded.record;
    const EncodeRefusal refusal = encoded.refusal;
    if (record.empty()) {
        char line[512];
        std::snprintf(line, sizeof line,
                      "Pictaro: Cannot download %s file to handheld because the device supports %d x %d bitmaps with "
                      "maximum size of %u bytes of raw data",
                      fileName.c_str(), pass.format.maxWidth, pass.format.maxHeight, pass.format.maxRawSize);
        log(line);
        problem(fileName + " is not sent: " + refusalText(file, refusal) + ".");
        if (!replacing) deleteDatabase(db, name);
        return;
    }
    if (replacing) {
        // The store keeps the old database's file until the new one is closed in its place.
        SyncDeleteDB(name.c_str(), 0);
        if (const std::int32_t again = createDatabase(db, name, type); again != SYNCERR_NONE) {
            log("Pictaro: failed to create database on handheld.");
            problem(fileName + " is not sent: the database \"" + name + "\" cannot be made again (" + syncFailure(again) +
                    ").");
            return;
        }
    }
    switch (writePicture(db, record)) {
    case WriteOutcome::Written:
        // Only the close stores the database: its result decides what the log says. A replaced
        // database stays when its replacement cannot be stored, so it is not deleted then.
        if (const std::int32_t closed = db.close(); closed != SYNCERR_NONE) {
            log("Pictaro: failed to create database on handheld.");
            problem(fileName + " is not on the handheld: the database \"" + name + "\" cannot be stored (" +
                    syncFailure(closed) + ")" + (replacing ? "; the old one stays." : "."));
            if (!replacing) SyncDeleteDB(name.c_str(), 0);
            break;
        }
        log("Pictaro: database successfully created on handheld.");
        break;
    case WriteOutcome::InfoBlockFailed:
        log("Pictaro: failed to write app info block.");
        problem(fileName + " is not sent: the info block of \"" + name + "\" cannot be written.");
        deleteDatabase(db, name);
        break;
    case WriteOutcome::RecordFailed:
        log("Pictaro: failed to write record.");
        log("Pictaro: failed to create database on handheld. Check whethere there is enough free space");
        problem(fileName + " is not sent: a record of \"" + name + "\" cannot be written.");
        deleteDatabase(db, name);
        break;
    }
}
}  // namespace

std::optional<std::string> SyncFolder(const PictaroSettings& settings) {
    const std::string& dir = settings.syncDir;
    const bool drivePath = dir.size() >= 3 && std::isalpha(static_cast<unsigned char>(dir[0])) && dir[1] == ':' &&
                           (dir[2] == '\\' || dir[2] == '/');
    const bool desktopPath = !dir.empty() && dir[0] == '/';
    if (!drivePath && !desktopPath) return std::nullopt;
    return win::ResolveWindowsPath(dir);
}

bool CheckSyncFolder(const PictaroSettings& settings) {
    syncFolderUnusable = false;
    const auto folder = SyncFolder(settings);
    if (!folder) {
        problem("the sync folder \"" + settings.syncDir + "\" is not a full path; no pictures were exchanged.");
        return false;
    }
    // A file a killed synchronisation was writing is no picture of the folder.
    win::RemoveStaleTemporaries(*folder);
    // A folder that cannot take pictures is said once here, not once a picture.
    struct stat info {};
    std::string unusable;
    if (::stat(folder->c_str(), &info) != 0) unusable = errno == ENOENT ? "does not exist" : std::strerror(errno);
    else if (!S_ISDIR(info.st_mode)) unusable = "is not a folder";
    else if (::access(folder->c_str(), W_OK | X_OK) != 0) unusable = "cannot be written (" + std::string(std::strerror(errno)) + ")";
    if (!unusable.empty()) {
        syncFolderUnusable = true;
        problem("the sync folder " + *folder + " " + unusable + "; no pictures are written to it.");
    }
    return true;
}

void FetchPictures(const PictaroSettings& settings, std::uint32_t type, bool overwrite) {
    const auto folder = SyncFolder(settings);
    if (!folder) return;
    std::vector<DesktopPicture> files;
    for (auto& path : bmpFiles(*folder)) files.push_back({path, DatabaseNameFromFile(stemOf(path))});
    forEachPictureDatabase(type, [&](const SyncDatabaseInfo& found) { fetchPicture(found, *folder, files, overwrite); });
}

DeviceFormat ReadDeviceFormat(const PictaroSettings& settings) {
    HandheldDatabase db;
    if (db.open(kFormatDb, 0, kReadMode) != SYNCERR_NONE) return defaultFormat(settings);
    std::uint8_t record[16] = {};
    SyncRecordParams r{};
    r.handle = db.handle();
    r.buffer = record;
    r.bufferSize = sizeof record;
    if (const std::int32_t rc = SyncReadRecordByIndex(&r); rc != SYNCERR_NONE) {
        log("Pictaro: failed to read record from format db.");
        problem(std::string("the device format in \"") + kFormatDb + "\" cannot be read (" +
                (rc == SYNCERR_BUFFER_TOO_SMALL ? std::string("its record is longer than 16 bytes") : syncFailure(rc)) +
                "); the default limits apply.");
        return defaultFormat(settings);
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
    if (settings.acceptedDensity == 72) f.density = 72;
    if (settings.acceptedDepth < f.depth) f.depth = settings.acceptedDepth;
    f.compression = settings.acceptedCompression;
    return f;
}

void SendPictures(const PictaroSettings& settings, bool replace) {
    const auto folder = SyncFolder(settings);
    if (!folder) return;
    SendPass pass;
    pass.format = ReadDeviceFormat(settings);
    pass.replace = replace;
    const auto files = bmpFiles(*folder);
    if (files.empty()) return;
    if (replace) pass.pictures = pictureDatabaseNames();
    std::optional<EncodeAhead> ahead;
    try {
        if (files.size() > 1 && pass.format.maxWidth == pass.format.maxHeight) pass.ahead = &ahead.emplace(files, pass.format);
    } catch (const std::exception&) {
        // No thread to be had: the pass encodes every picture itself.
    }
    for (std::size_t i = 0; i < files.size(); ++i) sendPicture(i, files[i], pass);
}
