// ScriptedFontEngine.h: a font engine for tests that answers with given metrics and widths and
// draws each character as a solid box of its black-box width, from the font's ascent down to its
// descent unless the glyph says otherwise.
#pragma once

#include "platform/gdi/FontEngine.h"

#include <map>
#include <set>

struct ScriptedGlyph {
    gdi::ABC abc;
    bool drawable = true;
    int above = -1;  // rows inked above the baseline; -1: the font's tmAscent
    int below = -1;  // rows inked from the baseline down; -1: the font's tmDescent
};

struct ScriptedFace {
    // Metrics by the magnitude of lfHeight; a height missing here cannot be created.
    std::map<int, gdi::TEXTMETRIC> metrics;
    // Glyphs by height and character; characters without an entry take defaultGlyph.
    std::map<int, std::map<int, ScriptedGlyph>> glyphs;
    ScriptedGlyph defaultGlyph{{0, 2, 1}, true};
};

class ScriptedFontEngine final : public gdi::FontEngine {
public:
    std::unique_ptr<gdi::Font> CreateFontIndirect(const gdi::LOGFONT& description) override;
    std::vector<gdi::EnumeratedFont> EnumFontFamiliesEx() override { return families; }

    ScriptedFace face;
    std::vector<gdi::EnumeratedFont> families;
    std::vector<gdi::LOGFONT> created;  // every description asked for
};

// Metrics of a simple font: height rows (ascent of them above the baseline), characters first to last.
gdi::TEXTMETRIC scriptedMetrics(int height, int ascent, int first, int last, int maxCharWidth = 8, int externalLeading = 0);
