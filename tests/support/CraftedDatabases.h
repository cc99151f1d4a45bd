// CraftedDatabases.h: Typehold files as other programs and handhelds write them, built in the
// test rather than kept as files.
#pragma once

#include "core/qz_fileio/DbRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qz_gen {
class CPalmDb;
}

// A valid font record named name with unique ID id.
qz_gen::CDbRecord fontRecordWithID(const std::string& name, std::uint32_t id);

// A deleted record without data, as a handheld backup keeps one.
qz_gen::CDbRecord deletedRecordWithID(std::uint32_t id);

// The bytes of a Typehold file holding records, in order, behind an application-info block of
// appInfoSize bytes (0: none). SetAppInfo refuses blocks past 65,520 bytes, so the block is put
// in by hand and the record offsets moved past it.
std::vector<std::uint8_t> typeholdFile(const std::vector<qz_gen::CDbRecord>& records, std::size_t appInfoSize = 0);

// The application-info bytes typeholdFile puts in, for comparing.
std::vector<std::uint8_t> craftedAppInfo(std::size_t size);

// The bytes of db as writers that leave out the two-byte gap after the record list write them:
// the gap gone and every offset two bytes earlier.
std::vector<std::uint8_t> withoutGap(const qz_gen::CPalmDb& db);
