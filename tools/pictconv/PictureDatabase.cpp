// PictureDatabase.cpp: the picture record held by a picture database file.
#include "PictureDatabase.h"

#include "core/qz_fileio/PalmDb.h"
#include "picture/PictureDatabase.h"

bool isPictureDatabase(const qz_gen::CPalmDb& db) {
    return IsPictureDatabase(db.Header().type, db.Header().creator);
}

std::optional<std::vector<std::uint8_t>> pictureRecordOf(const qz_gen::CPalmDb& db, std::string& why) {
    const auto info = readPictureInfo(db.AppInfo());
    if (!info) {
        why = "the picture database has no picture length in its application-info block";
        return std::nullopt;
    }
    if (info->length == 0) {
        why = "the picture database holds an empty picture";
        return std::nullopt;
    }
    // Each record gives what it holds, however long; an empty slot gives nothing.
    auto joined = joinPictureRecords(info->length, db.UsedLength(),
                                     [&](std::uint32_t slot, std::size_t) -> std::optional<std::span<const std::uint8_t>> {
                                         const auto* record = db.RecordAt(slot);
                                         if (record == nullptr) return std::span<const std::uint8_t>();
                                         return record->Bytes();
                                     });
    if (joined.outcome != JoinedPicture::Outcome::Complete) {
        why = "the picture database holds " + std::to_string(joined.bytes.size()) + " of the " +
              std::to_string(info->length) + " bytes of its picture";
        return std::nullopt;
    }
    return std::move(joined.bytes);
}
