// Fuzz target: what the picture conduit reads from a handheld, through the Sync API over a
// stand-in handheld store: the device-format record, and a picture database's info block and
// records assembled into one picture. The format read is the record's fields (with the user's
// settings applied) or, for a record that cannot be read, the defaults. A picture is written
// to the sync folder exactly when its records add up to the length the info block gives and the
// joined bytes decode, and the .bmp then holds the decoded pixels.
#include "FuzzCheck.h"
#include "conduit/ConduitSettings.h"
#include "conduit/PictureSync.h"
#include "conduit/HandheldDatabase.h"
#include "picture/PictureDatabase.h"
#include "picture/PictureExporter.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/BmpFile.h"
#include "palmdesk/SyncApi.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<std::uint8_t>;

std::string root;
// The settings a synchronisation would read: the defaults of the fuzzer's desktop, with a sync
// folder of its own. Made once that desktop is set up.
std::optional<PictaroSettings> settings;

// Made through the Sync API, as a handheld's own databases would arrive.
void putDatabase(const std::string& name, std::uint32_t type, const Bytes& info, const std::vector<Bytes>& records) {
    SyncDeleteDB(name.c_str(), 0);
    SyncCreateDbParams create{};
    create.creator = kCreatorDrAw;
    create.type = type;
    std::copy(name.begin(), name.end(), create.name);
    HandheldDatabase db;
    check(db.create(create) == SYNCERR_NONE);
    if (!info.empty()) {
        Bytes block = info;
        SyncBlockParams params{block.data(), static_cast<std::uint32_t>(block.size()), 0};
        check(SyncWriteDBAppInfoBlock(db.handle(), &params) == SYNCERR_NONE);
    }
    for (Bytes record : records) {
        SyncRecordParams r{};
        r.handle = db.handle();
        r.buffer = record.data();
        r.dataLength = static_cast<std::uint32_t>(record.size());
        check(SyncWriteRec(&r) == SYNCERR_NONE);
    }
}

void fuzzFormat(const Bytes& record) {
    putDatabase("PictaroFormatDb", 0x666D7420, {}, {record});
    const DeviceFormat f = ReadDeviceFormat(*settings);
    const PictaroSettings& s = *settings;
    check(f.compression == s.acceptedCompression);
    if (record.size() > 16) {
        // Longer than the reader's buffer: the defaults.
        check(f.depth == s.acceptedDepth && f.maxWidth == 4096 && f.maxHeight == 4096 && f.density == s.acceptedDensity &&
              f.maxRawSize == 1048576);
        return;
    }
    std::uint8_t fields[16] = {};
    std::copy(record.begin(), record.end(), fields);
    check(f.depth == std::min<std::uint8_t>(fields[3], s.acceptedDepth));
    check(f.maxWidth == static_cast<std::int16_t>(bytes::loadU16BE(fields + 4)));
    check(f.maxHeight == static_cast<std::int16_t>(bytes::loadU16BE(fields + 6)));
    check(f.density == (s.acceptedDensity == 72 ? 72 : bytes::loadU16BE(fields + 8)));
    check(f.maxRawSize == bytes::loadU32BE(fields + 10));
}

// The picture the records make: each record exactly the next min(left, 4096) bytes.
std::optional<Bytes> assembled(const Bytes& info, const std::vector<Bytes>& records) {
    if (info.empty()) return std::nullopt;
    std::uint8_t block[kPictureInfoSize] = {};
    std::copy(info.begin(), info.begin() + std::ptrdiff_t(std::min(info.size(), kPictureInfoSize)), block);
    const std::uint32_t length = bytes::loadU32BE(block + 2);
    Bytes picture;
    for (std::size_t i = 0; picture.size() < length; ++i) {
        if (i >= records.size() || records[i].size() != std::min<std::size_t>(length - picture.size(), kPictureChunk))
            return std::nullopt;
        picture.insert(picture.end(), records[i].begin(), records[i].end());
    }
    return picture;
}

void fuzzPicture(const std::uint8_t* data, std::size_t size, std::uint32_t type) {
    // An info block of up to 8 bytes, then records, each a 2-byte length and its bytes.
    if (size < 1) return;
    const std::size_t infoSize = std::min<std::size_t>(data[0] % 9, size - 1);
    const Bytes info(data + 1, data + 1 + infoSize);
    std::vector<Bytes> records;
    std::size_t at = 1 + infoSize;
    while (at + 2 <= size && records.size() < 8) {
        const std::size_t n = std::min<std::size_t>(bytes::loadU16BE(data + at) % 8200, size - at - 2);
        records.emplace_back(data + at + 2, data + at + 2 + n);
        at += 2 + n;
    }
    putDatabase("Fuzzed picture", type, info, records);
    const std::string folder = root + "/sync";
    fs::remove_all(folder);
    fs::create_directories(folder);
    FetchPictures(*settings, type, true);

    std::vector<fs::path> written;
    for (const auto& entry : fs::directory_iterator(folder)) written.push_back(entry.path());
    const auto picture = assembled(info, records);
    PictureExporter exporter;
    const bool decodes = picture && exporter.decodePicture(*picture);
    check(written.size() == (decodes ? 1u : 0u));
    if (!decodes) return;
    const auto bmp = gdi::LoadImage(written.front().string());
    const gdi::Bitmap* expected = exporter.bitmap();
    check(bmp && bmp->Width() == expected->Width() && bmp->Height() == expected->Height());
    for (int y = 0; y < expected->Height(); ++y)
        for (int x = 0; x < expected->Width(); ++x) check(bmp->GetPixel(x, y) == expected->GetPixel(x, y));
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A desktop of its own with the user Ann, memory-backed where there is one.
    static std::string made = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/conduit-fuzz-XXXXXX";
    if (!::mkdtemp(made.data())) std::abort();
    std::atexit([] { std::error_code ignored; fs::remove_all(made, ignored); });
    root = made;
    ::setenv("PALMDESK_ROOT", root.c_str(), 1);
    ::setenv(kSyncUserVariable, "Ann", 1);
    // The user folder as the desktop's user store keeps it: an ID file and an empty handheld.
    fs::create_directories(root + "/Users/Ann/Handheld/card0");
    fs::create_directories(root + "/Users/Ann/Install");
    std::FILE* id = std::fopen((root + "/Users/Ann/UserID").c_str(), "w");
    check(id != nullptr);
    std::fputs("1234\n", id);
    std::fclose(id);
    settings.emplace();
    settings->syncDir = root + "/sync";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The conduit logs each database it reads; the log would only grow.
    std::error_code ignored;
    fs::remove(root + "/Users/Ann/HotSync.log", ignored);
    switch (data[0] % 3) {
    case 0: fuzzFormat(Bytes(data + 1, data + size)); break;
    case 1: fuzzPicture(data + 1, size - 1, kTypeBpmf); break;
    case 2: fuzzPicture(data + 1, size - 1, kTypeBpmc); break;
    }
    return 0;
}
