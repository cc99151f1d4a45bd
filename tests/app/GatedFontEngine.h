// GatedFontEngine.h: a scripted font engine whose nth font request waits at a gate until the
// test opens it, so that a test can act while a conversion is in hand; it can also raise a
// converter error on a chosen request and refuse faces that are listed but cannot be opened.
#pragma once

#include "core/qz_fileio/Exception.h"
#include "support/ScriptedFontEngine.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>

class GatedFontEngine final : public gdi::FontEngine {
public:
    std::unique_ptr<gdi::Font> CreateFontIndirect(const gdi::LOGFONT& description) override {
        int call = 0;
        {
            std::unique_lock lock(mutex_);
            call = calls_++;
            if (call == gateAt) {
                entered_ = true;
                changed_.notify_all();
                changed_.wait(lock, [this] { return open_; });
            }
        }
        if (call == throwAt) throw new qz_gen::CException(std::string("Font file damaged"), 0);
        if (unopenable.count(description.lfFaceName)) return nullptr;
        return inner.CreateFontIndirect(description);
    }
    std::vector<gdi::EnumeratedFont> EnumFontFamiliesEx() override { return inner.EnumFontFamiliesEx(); }

    // Waits (at most a minute) until a request has reached the gate.
    bool WaitUntilEntered() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::minutes(1), [this] { return entered_; });
    }
    bool Entered() {
        std::lock_guard lock(mutex_);
        return entered_;
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

    ScriptedFontEngine inner;
    int gateAt = -1;   // the request (0 first) that waits at the gate
    int throwAt = -1;  // the request that raises a converter error
    std::set<std::string> unopenable;  // faces that are listed but cannot be opened

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
    bool entered_ = false;
    bool open_ = false;
};
