// FakeHotSyncLog.h: the HotSync log in memory. Bound for its lifetime, it receives every entry
// the process logs; it can refuse them.
#pragma once

#include "palmdesk/HotSyncLog.h"

#include <string>
#include <vector>

class FakeHotSyncLog final : public palmdesk::LogSink {
public:
    FakeHotSyncLog() { PalmdeskBindLog(this); }
    ~FakeHotSyncLog() override { PalmdeskBindLog(nullptr); }
    FakeHotSyncLog(const FakeHotSyncLog&) = delete;
    FakeHotSyncLog& operator=(const FakeHotSyncLog&) = delete;

    bool Append(const std::string& line) override {
        if (failAppends) return false;
        lines.push_back(line);
        return true;
    }
    std::vector<std::string> lines;
    bool failAppends = false;
};
