// DesktopSandbox.h: points PALMDESK_ROOT at a temporary folder for the life of a test.
#pragma once

#include "TempDir.h"

#include <cstdlib>
#include <optional>
#include <string>

class DesktopSandbox {
public:
    DesktopSandbox() {
        if (const char* old = std::getenv("PALMDESK_ROOT")) previous_ = old;
        ::setenv("PALMDESK_ROOT", dir_.path().c_str(), 1);
    }
    ~DesktopSandbox() {
        if (previous_) ::setenv("PALMDESK_ROOT", previous_->c_str(), 1);
        else ::unsetenv("PALMDESK_ROOT");
    }
    DesktopSandbox(const DesktopSandbox&) = delete;
    DesktopSandbox& operator=(const DesktopSandbox&) = delete;

    const std::string& root() const { return dir_.path(); }
    std::string file(const std::string& name) const { return dir_.file(name); }

private:
    TempDir dir_;
    std::optional<std::string> previous_;
};
