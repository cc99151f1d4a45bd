// DumpCommand.cpp: JSON views of a Palm database and of its font records.
#include "DumpCommand.h"

#include "CommandError.h"
#include "InputFiles.h"
#include "TextForJson.h"
#include "core/FontRecord.h"
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/File.h"
#include "core/qz_fileio/PalmDb.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

using nlohmann::ordered_json;
using qz_gen::CPalmDb;

namespace {
void readDatabase(const std::string& path, CPalmDb& db) {
    qz_gen::CFile file;
    file.Open(path, qz_gen::CFile::modeRead | qz_gen::CFile::shareDenyWrite);
    const auto rc = db.Read(file);
    if (rc != qz_gen::kDbOk)
        throw CommandError(std::string(qz_gen::DbResultText(rc)) + " (result " + std::to_string(rc) + ")");
}

ordered_json containerJson(const CPalmDb& db) {
    const auto& h = db.Header();
    ordered_json j;
    j["name"] = desktopText(db.GetName());
    j["attributes"] = h.attributes;
    j["version"] = h.version;
    j["creationDate"] = h.creationDate;
    j["modificationDate"] = h.modificationDate;
    j["lastBackupDate"] = h.lastBackupDate;
    j["modificationNumber"] = h.modificationNumber;
    j["appInfoID"] = h.appInfoID;
    j["sortInfoID"] = h.sortInfoID;
    j["type"] = fourCharCode(h.type);
    j["creator"] = fourCharCode(h.creator);
    j["uniqueIDSeed"] = h.uniqueIDSeed;
    j["nextRecordListID"] = h.nextRecordListID;
    j["numRecords"] = h.numRecords;
    j["resource"] = db.IsResourceDb();
    j["appInfoLength"] = db.AppInfoLength();
    j["sortInfoLength"] = db.SortInfoLength();
    j["records"] = ordered_json::array();
    j["resources"] = ordered_json::array();
    // A database just read holds list entry i in slot i.
    for (std::size_t i = 0; i < db.RecordList().size(); ++i) {
        const auto& entry = db.RecordList()[i];
        const auto* record = db.RecordAt(static_cast<std::uint32_t>(i));
        j["records"].push_back({{"slot", i},
                                {"offset", entry.offset},
                                {"attributes", entry.attributes},
                                {"uniqueID", entry.uniqueID},
                                {"category", record->GetCategory()},
                                {"flags", record->GetFlags()},
                                {"length", record->GetLength()}});
    }
    for (std::size_t i = 0; i < db.ResourceList().size(); ++i) {
        const auto& entry = db.ResourceList()[i];
        j["resources"].push_back({{"type", fourCharCode(entry.type)},
                                  {"id", entry.id},
                                  {"offset", entry.offset},
                                  {"length", db.RecordAt(static_cast<std::uint32_t>(i))->GetLength()}});
    }
    return j;
}

ordered_json fontJson(const CFontRecord& font) {
    ordered_json j;
    j["flags"] = font.header.flags;
    j["headerOnly"] = font.header.headerOnly;
    j["pointSize"] = font.header.pointSize;
    j["fontDataLength"] = font.header.fontDataLength;
    if (font.header.headerOnly == 0) {
        const auto& f = font.font;
        j["fontType"] = f.fontType;
        j["firstChar"] = f.firstChar;
        j["lastChar"] = f.lastChar;
        j["maxWidth"] = f.maxWidth;
        j["kernMax"] = f.kernMax;
        j["nDescent"] = f.nDescent;
        j["fRectWidth"] = f.fRectWidth;
        j["fRectHeight"] = f.fRectHeight;
        j["owTLoc"] = f.owTLoc;
        j["ascent"] = f.ascent;
        j["descent"] = f.descent;
        j["leading"] = f.leading;
        j["rowWords"] = f.rowWords;
        if (font.IsHighDensity()) {
            j["version"] = f.version;
            j["densityCount"] = f.densityCount;
            j["densities"] = ordered_json::array();
            for (const auto& d : font.densities)
                j["densities"].push_back({{"density", d.density}, {"glyphBitsOffset", d.glyphBitsOffset}});
        }
        j["count"] = font.Count();
    }
    j["name"] = desktopText(font.name);
    j["style"] = desktopText(font.style);
    if (font.header.headerOnly == 0) {
        j["locationTable"] = font.locationTable;
        ordered_json pairs = ordered_json::array();
        for (std::size_t i = 0; i + 1 < font.offsetWidth.size(); i += 2)
            pairs.push_back({font.offsetWidth[i], font.offsetWidth[i + 1]});
        j["offsetWidth"] = pairs;
    }
    return j;
}

const qz_gen::CDbRecord& recordInSlot(const CPalmDb& db, unsigned slot) {
    const auto* record = db.RecordAt(slot);
    if (record == nullptr) throw CommandError("no record in slot " + std::to_string(slot));
    return *record;
}
}  // namespace

int runDump(const DumpOptions& options) {
    return runReportingErrors(options.file, [&] {
        requireInput(options.file, Expected::PalmDatabase);
        CPalmDb db;
        readDatabase(options.file, db);
        if (options.fontSlot) {
            const auto& record = recordInSlot(db, *options.fontSlot);
            const auto font = Parse(record.Bytes());
            if (!font)
                throw CommandError("record " + std::to_string(*options.fontSlot) +
                                   " is not a valid font record");
            std::cout << fontJson(*font).dump(2) << '\n';
        } else if (options.recordSlot) {
            const auto& record = recordInSlot(db, *options.recordSlot);
            if (options.raw) {
                std::cout.write(reinterpret_cast<const char*>(record.GetData()), record.GetLength());
            } else {
                static const char kHex[] = "0123456789abcdef";
                std::string hex;
                for (const auto b : record.Bytes()) {
                    hex.push_back(kHex[b >> 4]);
                    hex.push_back(kHex[b & 15]);
                }
                std::cout << ordered_json{{"slot", *options.recordSlot},
                                          {"length", record.GetLength()},
                                          {"data", hex}}
                                 .dump(2)
                          << '\n';
            }
        } else {
            std::cout << containerJson(db).dump(2) << '\n';
        }
        std::cout.flush();
        return std::cout ? 0 : 1;
    });
}
