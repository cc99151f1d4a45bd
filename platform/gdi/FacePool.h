// FacePool.h: opened faces waiting for their next font, shared by the fonts of one engine.
#pragma once

#include "FreeTypeHandles.h"
#include "InstalledFaces.h"

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
    // Keeps face for the next font of info. A few faces wait, the most recently returned: a
    // conversion reuses the faces of a handful of fonts, while a walk over every installed face
    // (the wizard measures each once) would otherwise keep them all open.
    void Return(const InstalledFace& info, OpenFace face);

    static constexpr std::size_t kMaxIdle = 16;
    std::size_t IdleCount();

private:
    static std::string key(const InstalledFace& info) { return info.file + '\n' + std::to_string(info.index); }

    unsigned interpreterVersion_;
    std::mutex mutex_;
    // Oldest first.
    std::vector<std::pair<std::string, OpenFace>> idle_;
};

}  // namespace gdi
