// Writes a record database and a resource database through CPalmDb, with values in every field,
// for another program to read back: write_interop_databases RECORDS.pdb RESOURCES.pdb
#include "core/qz_fileio/AtomicWrite.h"
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/File.h"
#include "core/qz_fileio/PalmDb.h"

#include <cstdio>
#include <memory>
#include <string>

using namespace qz_gen;

namespace {
CDbRecord record(const std::string& data, std::uint32_t id, std::uint32_t category, std::uint32_t flags,
                 bool secret) {
    CDbRecord r;
    r.SetData(static_cast<std::uint32_t>(data.size()), reinterpret_cast<const std::uint8_t*>(data.data()));
    r.SetUniqueID(id);
    r.SetCategory(category);
    r.SetFlags(flags);
    r.SetPrivate(secret);
    return r;
}

void fillHeader(CPalmDb& db, const char* name, std::uint16_t attributes) {
    db.SetName(name);
    auto& h = db.Header();
    h.attributes = attributes;
    h.version = 3;
    h.creationDate = 3000000000u;
    h.modificationDate = 3000000100u;
    h.lastBackupDate = 2900000000u;
    h.modificationNumber = 17;
    h.type = 0x44415441;     // DATA
    h.creator = 0x74457374;  // tEst
    h.uniqueIDSeed = 0x00ABC000;
}

void write(CPalmDb& db, const std::string& path) {
    db.SetLayoutFields();
    WriteDatabaseFile(path, db);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s RECORDS.pdb RESOURCES.pdb\n", argv[0]);
        return 2;
    }
    try {
        CPalmDb records;
        fillHeader(records, "Interop Records", CPalmDb::kAttrBackup | CPalmDb::kAttrOkToInstallNewer);
        const CDbRecord list[] = {
            record("first record", 1, 0, 0, false),
            record(std::string("\0\x01\x02\xFF", 4), 0x123456, 7, CDbRecord::kFlagDirty, false),
            record("secret", 0xABCDEF, 15, 0, true),
            record("archived but kept", 40, 0, CDbRecord::kFlagArchived, false),
            record(std::string(70000, 'x'), 41, 2, 0, false),
        };
        for (auto r : list) records.AddRecord(r);
        const std::string app = "application info block";
        records.SetAppInfo(static_cast<std::uint32_t>(app.size()), reinterpret_cast<const std::uint8_t*>(app.data()));
        const std::string sort = "sort";
        records.SetSortInfo(static_cast<std::uint32_t>(sort.size()), reinterpret_cast<const std::uint8_t*>(sort.data()));
        write(records, argv[1]);

        CPalmDb resources;
        fillHeader(resources, "Interop Resources", CPalmDb::kAttrResource | CPalmDb::kAttrResetAfterInstall);
        const std::pair<std::uint32_t, std::uint16_t> ids[] = {{0x74535452, 1000}, {0x4D424152, 2}, {0x636F6465, 0}};
        for (const auto& [type, id] : ids) {
            CDbRecord r = record("resource " + std::to_string(id), type, 0, 0, false);
            r.SetResourceID(id);
            resources.AddRecord(r);
        }
        write(resources, argv[2]);
    } catch (CException* caught) {
        std::unique_ptr<CException> e(caught);
        std::fprintf(stderr, "%s\n", e->GetMessage() ? e->GetMessage() : "Unknown exception");
        return 1;
    }
    return 0;
}
