// FacePool.cpp: borrowing and returning opened faces.
#include "FacePool.h"

#include FT_MODULE_H
#include FT_DRIVER_H

namespace gdi {

std::optional<OpenFace> FacePool::Borrow(const InstalledFace& info) {
    {
        const std::string wanted = key(info);
        std::lock_guard lock(mutex_);
        for (auto it = idle_.rbegin(); it != idle_.rend(); ++it) {
            if (it->first != wanted) continue;
            OpenFace face = std::move(it->second);
            idle_.erase(std::next(it).base());
            return face;
        }
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return std::nullopt;
    OpenFace opened{LibraryPtr(library), nullptr, nullptr, 0};
    if (interpreterVersion_ != 0) {
        FT_UInt version = interpreterVersion_;
        FT_Property_Set(library, "truetype", "interpreter-version", &version);
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, info.file.c_str(), info.index, &face) != 0) return std::nullopt;
    opened.face.reset(face);
    return opened;
}

void FacePool::Return(const InstalledFace& info, OpenFace face) {
    std::pair<std::string, OpenFace> closing;  // closed once the lock is released
    std::lock_guard lock(mutex_);
    idle_.emplace_back(key(info), std::move(face));
    if (idle_.size() > kMaxIdle) {
        closing = std::move(idle_.front());
        idle_.erase(idle_.begin());
    }
}

std::size_t FacePool::IdleCount() {
    std::lock_guard lock(mutex_);
    return idle_.size();
}

}  // namespace gdi
