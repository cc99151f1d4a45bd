// FacePool.cpp: borrowing and returning opened faces.
#include "FacePool.h"

#include FT_MODULE_H
#include FT_DRIVER_H

namespace gdi {

std::optional<OpenFace> FacePool::Borrow(const InstalledFace& info) {
    {
        std::lock_guard lock(mutex_);
        auto& idle = idle_[key(info)];
        if (!idle.empty()) {
            OpenFace face = std::move(idle.back());
            idle.pop_back();
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
    std::lock_guard lock(mutex_);
    auto& idle = idle_[key(info)];
    if (idle.size() < kMaxIdlePerFace) idle.push_back(std::move(face));
}

}  // namespace gdi
