// PictureDatabase.h: the picture a handheld picture database holds, as `hotsync store --export`
// writes one. The database's application-info block gives the picture's length; the records, in
// order, hold its bytes in pieces of at most 4096.
//
//   app info  0 u16 tag (12)
//             2 u32 length of the picture record in bytes
//   records   the picture record, cut into pieces
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qz_gen {
class CPalmDb;
}

// Whether db is a picture database: creator DrAw, type bpmf or bpmc.
bool isPictureDatabase(const qz_gen::CPalmDb& db);

// The picture record db holds; none, with why set, when the info block is missing or the records
// hold fewer bytes than it announces. A tag other than 12 is read all the same, as the conduit does.
std::optional<std::vector<std::uint8_t>> pictureRecordOf(const qz_gen::CPalmDb& db, std::string& why);
