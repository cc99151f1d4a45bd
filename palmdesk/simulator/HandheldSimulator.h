// HandheldSimulator.h: a handheld of our own that answers a desktop's DLP requests from a folder of
// Palm database files laid out as the handheld store keeps them (one .pdb per database, named
// after it). Databases written during a session are stored when they are closed, as a handheld
// keeps them; one left open when the link drops is left as it was.
#pragma once

#include "palmdesk/dlp/DlpCommands.h"
#include "palmdesk/link/MessageLink.h"
#include "palmdesk/HandheldStore.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qz_gen {
class CPalmDb;
}

namespace palmdesk::sim {

// What the handheld keeps besides its databases.
struct HandheldState {
    dlp::UserInfo user;            // no name: a handheld never synchronised
    std::int64_t clockOffset = 0;  // seconds the handheld's clock is ahead of ours
    dlp::NetSyncInfo netSync;
    std::vector<std::string> syncLog;  // AddSyncLogEntry texts of the last session
    std::uint16_t endStatus = 0xFFFF;  // the last EndOfSync status; 0xFFFF before any
};

class HandheldSimulator {
public:
    explicit HandheldSimulator(std::string folder, HandheldState state = {});
    ~HandheldSimulator();

    // The handheld's answer to one request; the folder and state change as a handheld's would.
    dlp::DlpResponse answer(const dlp::DlpRequest& request);
    // One session: the transport's handshake, then answers until EndOfSync has been answered.
    // Throws LinkError when the link fails; open databases are then dropped unsaved.
    void serve(link::MessageLink& link);

    const HandheldState& state() const { return state_; }
    HandheldState& state() { return state_; }
    // What each request of the last session was, for a progress display.
    const std::vector<std::string>& requestsSeen() const { return seen_; }

private:
    struct OpenDb {
        std::string name;
        std::unique_ptr<qz_gen::CPalmDb> db;
        bool writable = false;
        bool changed = false;
    };
    using Response = dlp::DlpResponse;

    Response dispatch(const dlp::DlpRequest& request);
    OpenDb* open(std::uint8_t handle);
    dlp::DbInfo describe(const qz_gen::CPalmDb& db, std::uint16_t index, bool isOpen) const;
    // The stored databases as ReadDBList lists them.
    std::vector<dlp::DbInfo> listStored() const;
    std::int32_t findHandle(const std::string& name) const;

    Response sysInfo(const dlp::DlpRequest& request);
    Response userInfo(const dlp::DlpRequest& request, bool write);
    Response dateTime(const dlp::DlpRequest& request, bool set);
    Response storageInfo(const dlp::DlpRequest& request);
    Response dbList(const dlp::DlpRequest& request);
    Response findDb(const dlp::DlpRequest& request);
    Response openDb(const dlp::DlpRequest& request);
    Response createDb(const dlp::DlpRequest& request);
    Response closeDb(const dlp::DlpRequest& request);
    Response deleteDb(const dlp::DlpRequest& request);
    Response openDbInfo(const dlp::DlpRequest& request);
    Response readAppBlock(const dlp::DlpRequest& request);
    Response writeAppBlock(const dlp::DlpRequest& request);
    Response readRecord(const dlp::DlpRequest& request);
    Response recordIdList(const dlp::DlpRequest& request);
    Response writeRecord(const dlp::DlpRequest& request);
    Response deleteRecord(const dlp::DlpRequest& request);
    Response readResource(const dlp::DlpRequest& request);
    Response writeResource(const dlp::DlpRequest& request);
    Response netSyncInfo(const dlp::DlpRequest& request, bool write);

    HandheldStore store_;
    HandheldState state_;
    std::map<std::uint8_t, OpenDb> open_;
    std::size_t findPosition_ = 0;  // where FindDB by type and creator goes on
    std::vector<std::string> seen_;
};

}  // namespace palmdesk::sim
