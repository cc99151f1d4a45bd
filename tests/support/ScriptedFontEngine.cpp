// ScriptedFontEngine.cpp: a font engine for tests that answers with given metrics and widths and
// draws each character as a solid box of its black-box width, from the font's ascent down to its
// descent unless the glyph says otherwise.
#include "ScriptedFontEngine.h"

#include <cstdlib>

namespace {
class ScriptedFont final : public gdi::Font {
public:
    ScriptedFont(const ScriptedFace& face, int height) : face_(face), height_(height), tm_(face.metrics.at(height)) {}

    gdi::TEXTMETRIC GetTextMetrics() const override { return tm_; }
    bool GetCharWidth32(std::uint8_t ch, std::int32_t& width) override {
        const auto& g = glyph(ch).abc;
        width = g.abcA + static_cast<std::int32_t>(g.abcB) + g.abcC;
        return true;
    }
    bool GetTextExtentPoint32(std::uint8_t ch, gdi::SIZE& size) override {
        std::int32_t w = 0;
        GetCharWidth32(ch, w);
        size = {w, tm_.tmHeight};
        return true;
    }
    bool GetCharABCWidths(std::uint8_t ch, gdi::ABC& abc) override {
        abc = glyph(ch).abc;
        return true;
    }
    bool TextOut(gdi::Bitmap& bitmap, int x, int baseline, std::uint8_t ch) override {
        const auto& g = glyph(ch);
        if (!g.drawable) return false;
        const int above = g.above < 0 ? tm_.tmAscent : g.above;
        const int below = g.below < 0 ? tm_.tmDescent : g.below;
        for (int y = baseline - above; y < baseline + below; ++y)
            for (unsigned c = 0; c < g.abc.abcB; ++c) bitmap.SetPixel(x + g.abc.abcA + static_cast<int>(c), y, 0);
        return true;
    }

private:
    const ScriptedGlyph& glyph(std::uint8_t ch) const {
        const auto h = face_.glyphs.find(height_);
        if (h != face_.glyphs.end()) {
            const auto g = h->second.find(ch);
            if (g != h->second.end()) return g->second;
        }
        return face_.defaultGlyph;
    }

    const ScriptedFace& face_;
    int height_;
    gdi::TEXTMETRIC tm_;
};
}  // namespace

std::unique_ptr<gdi::Font> ScriptedFontEngine::CreateFontIndirect(const gdi::LOGFONT& description) {
    created.push_back(description);
    const int height = std::abs(description.lfHeight);
    if (!face.metrics.count(height)) return nullptr;
    return std::make_unique<ScriptedFont>(face, height);
}

gdi::TEXTMETRIC scriptedMetrics(int height, int ascent, int first, int last, int maxCharWidth, int externalLeading) {
    gdi::TEXTMETRIC tm;
    tm.tmHeight = height;
    tm.tmAscent = ascent;
    tm.tmDescent = height - ascent;
    tm.tmExternalLeading = externalLeading;
    tm.tmMaxCharWidth = maxCharWidth;
    tm.tmFirstChar = static_cast<std::uint8_t>(first);
    tm.tmLastChar = static_cast<std::uint8_t>(last);
    tm.tmDefaultChar = static_cast<std::uint8_t>(first);
    return tm;
}
