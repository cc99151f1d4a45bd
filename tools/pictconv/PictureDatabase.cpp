// PictureDatabase.cpp: the picture record held by a picture database file.
#include "PictureDatabase.h"

#include "core/qz_fileio/PalmDb.h"
#include "picture/PictureDatabase.h"
#include "platform/bytes/ByteOrder.h"

#include <algorithm>

bool isPictureDatabase(const qz_gen::CPalmDb& db) {
    return IsPictureDatabase(db.Header().type, db.Header().creator);
}

std::optional<std::vector<std::uint8_t>> pictureRecordOf(const qz_gen::CPalmDb& db, std::string& why) {
    const auto info = db.AppInfo();
    if (info.size() < kPictureInfoSize) {
        why = "the picture database has no picture length in its application-info block";
        return std::nullopt;
    }
    const std::uint32_t length = bytes::loadU32BE(info.data() + 2);
    if (length == 0) {
        why = "the picture database holds an empty picture";
        return std::nullopt;
    }
    // The records' own lengths bound the copy, never the announced length.
    std::vector<std::uint8_t> picture;
    for (std::uint32_t slot = 0; slot < db.UsedLength() && picture.size() < length; ++slot) {
        const auto* record = db.RecordAt(slot);
        if (record == nullptr) continue;
        const auto bytes = record->Bytes();
        const std::size_t take = std::min<std::size_t>(bytes.size(), length - picture.size());
        picture.insert(picture.end(), bytes.begin(), bytes.begin() + std::ptrdiff_t(take));
    }
    if (picture.size() < length) {
        why = "the picture database holds " + std::to_string(picture.size()) + " of the " + std::to_string(length) +
              " bytes of its picture";
        return std::nullopt;
    }
    return picture;
}
