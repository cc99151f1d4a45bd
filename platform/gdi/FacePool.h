// FacePool.h: opened faces waiting for their next font, shared by the fonts of one engine.
#pragma once

#include "FreeTypeHandles.h"
#include "InstalledFaces.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace gdi {

// Opened faces waiting for their next font: opening a face parses its tables and runs its font
// program, far more work than a font's metrics. A face serves one font at a time, with a library
// of its own, so fonts on different threads never share FreeType state.
struct OpenFace {
    LibraryPtr library;
    FacePtr face;
    // The face's highest character code in walkedCharmap, found by walking that charmap to its
    // end; a walk visits every code, so it is done once per charmap. Null: none walked yet.
    FT_CharMap walkedCharmap = nullptr;
    FT_ULong lastCharCode = 0;
};

class FacePool {
public:
    explicit FacePool(unsigned interpreterVersion) : interpreterVersion_(interpreterVersion) {}

    // An idle face of info, or a newly opened one; none when FreeType cannot open it.
    std::optional<OpenFace> Borrow(const InstalledFace& info);
    // Keeps face for the next font of info (a few per face; the rest are closed).
    void Return(const InstalledFace& info, OpenFace face);

private:
    static constexpr std::size_t kMaxIdlePerFace = 4;
    static std::string key(const InstalledFace& info) { return info.file + '\n' + std::to_string(info.index); }

    unsigned interpreterVersion_;
    std::mutex mutex_;
    std::map<std::string, std::vector<OpenFace>> idle_;
};

}  // namespace gdi
