// MemoryDC.h: a memory drawing context: the bitmap selected into it receives SetPixel and answers
// GetPixel and GetClipBox.
#pragma once

#include "Bitmap.h"

namespace gdi {

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class MemoryDC {
public:
    // Selects bitmap (null deselects) and returns the one selected before.
    Bitmap* SelectObject(Bitmap* bitmap) {
        Bitmap* previous = selected_;
        selected_ = bitmap;
        return previous;
    }
    // The colour set, or kInvalidColor when nothing is selected or (x, y) lies outside.
    COLORREF SetPixel(int x, int y, COLORREF color) {
        return selected_ && selected_->SetPixel(x, y, color) ? color : kInvalidColor;
    }
    COLORREF GetPixel(int x, int y) const { return selected_ ? selected_->GetPixel(x, y) : kInvalidColor; }
    // The selected bitmap's rectangle; false with nothing selected.
    bool GetClipBox(RECT& box) const {
        if (!selected_) return false;
        box = {0, 0, selected_->Width(), selected_->Height()};
        return true;
    }

private:
    Bitmap* selected_ = nullptr;
};

}  // namespace gdi
