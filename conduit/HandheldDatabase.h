// HandheldDatabase.h: one open handheld database of the Sync API, closed on every path out of
// the scope that opened it. A database about to be deleted is closed first, explicitly; a
// database written is closed explicitly too, since only the close says whether it was stored.
#pragma once

#include "palmdesk/SyncApi.h"

#include <cstdint>
#include <string>

class HandheldDatabase {
public:
    HandheldDatabase() = default;
    ~HandheldDatabase() { close(); }
    HandheldDatabase(const HandheldDatabase&) = delete;
    HandheldDatabase& operator=(const HandheldDatabase&) = delete;

    // The Sync API's result; the database is open only when it is SYNCERR_NONE.
    std::int32_t open(const std::string& name, std::int32_t card, std::uint8_t mode) {
        close();
        const std::int32_t rc = SyncOpenDB(name.c_str(), card, &handle_, mode);
        open_ = rc == SYNCERR_NONE;
        return rc;
    }
    std::int32_t create(const SyncCreateDbParams& params) {
        close();
        const std::int32_t rc = SyncCreateDB(&params, &handle_);
        open_ = rc == SYNCERR_NONE;
        return rc;
    }
    // The Sync API's result; SYNCERR_NONE when nothing was open.
    std::int32_t close() {
        if (!open_) return SYNCERR_NONE;
        open_ = false;
        return SyncCloseDB(handle_);
    }

    std::uint8_t handle() const { return handle_; }

private:
    std::uint8_t handle_ = 0;
    bool open_ = false;
};
