// FreeTypeFont.h: one font of the FreeType engine: GDI's text metrics of a face at a height,
// hinted black-and-white glyphs with their widths, synthetic bold and italic where the face lacks
// them, and bytes mapped through the code page of the realised character set.
#pragma once

#include "FacePool.h"
#include "FontEngine.h"

#include <memory>

namespace gdi {

// A weight above this one asks for a bold face (or a synthetic bold).
inline constexpr std::int32_t kBoldWeightAbove = 550;

// The font of lf drawn with opened (a face of info), which goes back to pool with the font; none
// when the face gives no usable size for lf.
std::unique_ptr<Font> MakeFreeTypeFont(std::shared_ptr<FacePool> pool, OpenFace opened, const InstalledFace& info,
                                       const LOGFONT& lf);

}  // namespace gdi
