// DeviceHandheld.h: a connected handheld behind the Handheld interface, each operation as the DLP
// requests it takes. A database is read whole at Load (FindDB, OpenDB, the app-info block, every
// record or resource by index, CloseDB) and written whole at Store (DeleteDB of the one it
// replaces, CreateDB, the app-info block, every record or resource, CloseDB): Store succeeds only
// once the handheld confirmed the close. A device holds one database per name, so a removal waits
// until a database of the name is stored in its place or FinishRemovals: the old database stays
// as long as it can. The handheld's error codes become errno values (Handheld.h); the first
// failure's message stays for the log.
#pragma once

#include "palmdesk/Handheld.h"
#include "palmdesk/dlp/DlpDevice.h"

#include <atomic>
#include <mutex>
#include <set>
#include <string>

namespace qz_gen {
class CDbRecord;
}

namespace palmdesk {

// A record's attributes as DLP carries them, and back.
std::uint8_t dlpAttributesOf(const qz_gen::CDbRecord& record);
void applyDlpAttributes(qz_gen::CDbRecord& record, std::uint8_t attributes);

class DeviceHandheld final : public Handheld {
public:
    // stop, when given, is looked at before every request: once set, every operation fails with
    // ECANCELED and sends nothing.
    explicit DeviceHandheld(dlp::DlpDevice& device, const std::atomic<bool>* stop = nullptr)
        : device_(device), stop_(stop) {}

    std::vector<StoredDatabase> List() const override;
    std::optional<StoredDatabase> Find(const std::string& name) const override;
    std::unique_ptr<qz_gen::CPalmDb> Load(const std::string& name) const override;
    bool Store(qz_gen::CPalmDb& db) const override;
    bool Remove(const std::string& name) const override;
    std::vector<std::string> FinishRemovals() const override;

    // Why the device failed (the link lost, the synchronisation stopped); empty while it works.
    std::string Trouble() const;

private:
    // False, with errno and the message noted, when result is a failure.
    bool check(const dlp::DlpResult& result) const;
    bool stopped() const;
    std::optional<StoredDatabase> find(const std::string& name) const;
    std::unique_ptr<qz_gen::CPalmDb> load(const std::string& name) const;
    bool store(qz_gen::CPalmDb& db) const;

    // The Sync API may be called from any thread; the link takes one request at a time.
    mutable std::mutex mutex_;
    dlp::DlpDevice& device_;
    const std::atomic<bool>* stop_;
    mutable std::set<std::string> removing_;
    mutable std::string stoppedBy_;
};

}  // namespace palmdesk
