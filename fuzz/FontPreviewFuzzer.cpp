// Fuzz target: the font preview over any record that parses. A record HandheldLimitFault refuses
// draws nothing; any other draws a line of text exactly as tall as its strike's rows at the zoom
// and no wider than the widest advance allows, and a whole preview of bounded size, without
// reading outside the record's tables.
#include "app/FontPreview.h"
#include "core/FontRecord.h"

#include <algorithm>
#include <cstdlib>

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte picks the zoom and the text; the rest is the record.
    const int zoom = 1 + (data[0] & 3);
    const bool ownText = (data[0] & 4) != 0;
    const auto font = Parse({data + 1, size - 1});
    if (!font) return 0;
    const bool refused = font->header.headerOnly != 0 || HandheldLimitFault(*font).has_value();

    // Every byte value once, so that each character and the missing-character symbol is drawn.
    std::string every(256, '\0');
    for (int c = 0; c < 256; ++c) every[std::size_t(c)] = static_cast<char>(c);
    const std::string_view text = ownText ? std::string_view(every) : kPreviewSample;
    for (const int density : {1, 2}) {
        const GreyImage line = DrawFontText(*font, density, zoom, text);
        check(line.pixels.size() == std::size_t(line.width) * std::size_t(line.height));
        if (refused) {
            check(line.width == 0 && line.height == 0);
            continue;
        }
        const int scale = density == 2 && font->IsHighDensity() ? 2 : 1;
        check(line.height == (font->font.fRectHeight * scale + 2) * zoom);
        // An advance is at most the cell's width, or 255 for a missing-character symbol.
        const int widest = std::max<int>(font->font.fRectWidth, 255);
        check(line.width >= 2 * zoom && line.width <= int(text.size()) * widest * scale * zoom + 2 * zoom);
    }
    const GreyImage preview = DrawFontPreview(*font);
    check(preview.pixels.size() == std::size_t(preview.width) * std::size_t(preview.height));
    if (refused) {
        check(preview.width == 0 && preview.height == 0);
    } else {
        // Two screens side by side at least; the grids and screens of the largest cell at most.
        check(preview.width >= 2 * 322 && preview.width < 6000 && preview.height < 12000);
    }
    return 0;
}
