// FreeTypeFont.cpp: a font's metrics, character range and glyphs over FreeType.
#include "FreeTypeFont.h"

#include "CodePages.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_BITMAP_H
#include FT_ADVANCES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace gdi {

namespace {
constexpr FT_Fixed kItalicShear = 0x5700;  // x' = x + 0.34 y, about 18.8 degrees
// Outlines as a screen's text layout takes them: scaled, no glyph program run, no bitmap strike.
constexpr FT_Int32 kUnhinted = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;

// A glyph as the font draws it: a one-bit bitmap (most significant bit first) placed relative to
// the pen position, and its GDI widths.
struct RenderedGlyph {
    bool drawable = false;
    ABC abc;
    std::int32_t advance = 0;
    int left = 0;   // columns from the pen position to the bitmap's first column
    int top = 0;    // rows from the baseline up to the bitmap's first row
    int width = 0;
    int rows = 0;
    int pitch = 0;
    std::vector<std::uint8_t> bits;
};

class FreeTypeFont final : public Font {
public:
    FreeTypeFont(std::shared_ptr<FacePool> pool, OpenFace opened, const InstalledFace& info, const LOGFONT& lf)
        : pool_(std::move(pool)),
          library_(std::move(opened.library)),
          face_(std::move(opened.face)),
          walkedCharmap_(opened.walkedCharmap),
          lastCharCode_(opened.lastCharCode),
          info_(info) {
        realisedCharset_ = RealisedCharset(info, lf.lfCharSet);
        const auto charset = CharsetFor(realisedCharset_);
        // Looked up once: the look-up takes a lock that every thread shares.
        toUnicode_ = &ByteToUnicode(charset ? charset->codePage : 1252);
        symbol_ = info.symbol && (realisedCharset_ == SYMBOL_CHARSET || !Supports(info, realisedCharset_));
        syntheticBold_ = lf.lfWeight > kBoldWeightAbove && !info.bold;
        syntheticItalic_ = lf.lfItalic != 0 && !info.italic;
        if (symbol_) FT_Select_Charmap(face_.get(), FT_ENCODING_MS_SYMBOL);
        else if (FT_Select_Charmap(face_.get(), FT_ENCODING_UNICODE) != 0) FT_Select_Charmap(face_.get(), FT_ENCODING_MS_SYMBOL);
        computeMetrics(lf);
        FT_Set_Pixel_Sizes(face_.get(), 0, static_cast<FT_UInt>(ppem_));
    }

    ~FreeTypeFont() override {
        pool_->Return(info_, OpenFace{std::move(library_), std::move(face_), walkedCharmap_, lastCharCode_});
    }

    bool valid() const { return ppem_ > 0; }

    TEXTMETRIC GetTextMetrics() const override { return tm_; }

    bool GetCharWidth32(std::uint8_t ch, std::int32_t& width) override {
        const RenderedGlyph& g = glyph(ch);
        width = g.advance;
        return true;
    }
    bool GetTextExtentPoint32(std::uint8_t ch, SIZE& size) override {
        size = {glyph(ch).advance, tm_.tmHeight};
        return true;
    }
    bool GetCharABCWidths(std::uint8_t ch, ABC& abc) override {
        abc = glyph(ch).abc;
        return true;
    }
    bool TextOut(Bitmap& bitmap, int x, int y, std::uint8_t ch) override {
        const RenderedGlyph& g = glyph(ch);
        if (!g.drawable) return false;
        bitmap.DrawMask(x + g.left, y - g.top, g.bits.data(), g.width, g.rows, g.pitch, RGB(0, 0, 0));
        return true;
    }
    std::int32_t GetLineWidth(std::string_view bytes) override {
        FT_Pos total = 0;  // 16.16 pixels
        for (const char c : bytes) {
            bool drawable = false;
            FT_Fixed advance = 0;
            if (FT_Get_Advance(face_.get(), glyphIndex(static_cast<std::uint8_t>(c), drawable), kUnhinted, &advance) == 0)
                total += advance;
            if (syntheticBold_) total += 0x10000;
        }
        return static_cast<std::int32_t>((total + 0xFFFF) >> 16);
    }
    ScreenLine GetScreenLine() override {
        ScreenLine line;
        FT_Face f = face_.get();
        // The size's ascender and descender are the horizontal header's, scaled and rounded out.
        line.height = static_cast<int>((f->size->metrics.ascender - f->size->metrics.descender + 63) >> 6);
        bool drawable = false;
        const FT_UInt gid = glyphIndex('x', drawable);
        if (!drawable || gid == 0 || FT_Load_Glyph(f, gid, kUnhinted) != 0) return line;
        if (f->glyph->format != FT_GLYPH_FORMAT_OUTLINE || f->glyph->outline.n_points == 0) return line;
        FT_BBox box;
        FT_Outline_Get_CBox(&f->glyph->outline, &box);
        line.xHeight = static_cast<int>(std::max<FT_Pos>(0, box.yMax + 32) >> 6);
        return line;
    }

    bool HasGlyphMasks() const override { return true; }
    bool GetGlyphMask(std::uint8_t ch, GlyphMask& mask) override {
        mask = GlyphMask();
        if (cachedFor_ != ch) {
            bool drawable = false;
            const FT_UInt gid = glyphIndex(ch, drawable);
            // A character the font lacks is never drawn: no need to render its .notdef.
            if (!drawable) return false;
            renderCached(ch, gid, drawable);
        }
        const RenderedGlyph& g = cached_;
        if (!g.drawable) return false;
        mask = {g.bits.data(), g.left, g.top, g.width, g.rows, g.pitch};
        return true;
    }

private:
    void computeMetrics(const LOGFONT& lf) {
        FT_Face f = face_.get();
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(f, FT_SFNT_HHEA));
        const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(f, FT_SFNT_HEAD));
        if (!os2 || !hhea || !head || head->Units_Per_EM == 0) return;
        const FT_Long upem = head->Units_Per_EM;
        const FT_Long winAscent = os2->usWinAscent;
        const FT_Long winDescent = std::abs(static_cast<FT_Short>(os2->usWinDescent));
        FT_Long units = winAscent + winDescent;
        if (units == 0) units = hhea->Ascender - hhea->Descender;
        FT_Long ppem;
        const FT_Long height = lf.lfHeight == 0 ? 16 : lf.lfHeight;
        if (height < 0) {
            ppem = -height;
        } else {
            ppem = FT_MulDiv(upem, height, units);
            if (ppem > 1 && FT_MulDiv(units, ppem, upem) > height) --ppem;
        }
        if (ppem <= 0 || ppem > 0x7FFF) return;
        const FT_Fixed em = FT_MulDiv(ppem, 0x10000, upem);
        const auto S = [em](FT_Long v) { return static_cast<std::int32_t>(FT_MulFix(v, em)); };
        tm_.tmAscent = S(winAscent);
        tm_.tmDescent = S(winDescent);
        tm_.tmHeight = tm_.tmAscent + tm_.tmDescent;
        tm_.tmInternalLeading = S(winAscent + winDescent - upem);
        tm_.tmExternalLeading =
            std::max<std::int32_t>(0, S(hhea->Line_Gap - ((winAscent + winDescent) - (hhea->Ascender - hhea->Descender))));
        tm_.tmAveCharWidth = std::max<std::int32_t>(1, S(os2->xAvgCharWidth)) + (syntheticBold_ ? 1 : 0);
        tm_.tmMaxCharWidth = S(head->xMax - head->xMin) + (syntheticBold_ ? 1 : 0);
        tm_.tmWeight = syntheticBold_ ? FW_BOLD : os2->usWeightClass;
        tm_.tmItalic = (info_.italic || syntheticItalic_) ? 255 : 0;
        tm_.tmCharSet = realisedCharset_;
        tm_.tmPitchAndFamily = info_.tmPitchAndFamily;
        characterRange(*os2);
        ppem_ = static_cast<int>(ppem);
    }

    void characterRange(const TT_OS2& os2) {
        if (symbol_) {
            tm_.tmBreakChar = 0x20;
            tm_.tmDefaultChar = 0x1F;
            tm_.tmFirstChar = 0x1E;
            const int last = int(os2.usLastCharIndex) - int(os2.usFirstCharIndex) + 0x20;
            tm_.tmLastChar = static_cast<std::uint8_t>(std::clamp(last, 0x1E, 0xFF));
            return;
        }
        const unsigned first = os2.usFirstCharIndex;
        const unsigned breakChar = first <= 1 ? first + 2 : (first > 0xFF ? 0x20 : first);
        const unsigned defaultChar = breakChar - 1;
        const unsigned last = static_cast<unsigned>(std::min<FT_ULong>({lastCharCode(), os2.usLastCharIndex, 0xFF}));
        tm_.tmBreakChar = static_cast<std::uint8_t>(breakChar);
        tm_.tmDefaultChar = static_cast<std::uint8_t>(defaultChar);
        tm_.tmFirstChar = static_cast<std::uint8_t>(defaultChar - 1);
        tm_.tmLastChar = static_cast<std::uint8_t>(std::max(last, unsigned(tm_.tmFirstChar)));
    }

    // The highest code of the face's charmap (the first when it maps nothing), or any code past
    // 0xFF when it maps one: the range stops at 0xFF, so a walk need not visit the thousands of
    // codes beyond.
    FT_ULong lastCharCode() {
        FT_Face f = face_.get();
        if (walkedCharmap_ != nullptr && walkedCharmap_ == f->charmap) return lastCharCode_;
        FT_UInt gid = 0;
        if (const FT_ULong beyond = FT_Get_Next_Char(f, 0xFE, &gid); gid != 0) {
            walkedCharmap_ = f->charmap;
            lastCharCode_ = beyond;
            return beyond;
        }
        FT_ULong lastCode = FT_Get_First_Char(f, &gid);
        for (FT_ULong code = lastCode; gid != 0; code = FT_Get_Next_Char(f, code, &gid)) lastCode = code;
        walkedCharmap_ = f->charmap;
        lastCharCode_ = lastCode;
        return lastCode;
    }

    // The glyph a byte stands for: 0 (.notdef) for the default character and for bytes whose
    // character the font lacks; only the default character draws .notdef.
    FT_UInt glyphIndex(std::uint8_t ch, bool& drawable) const {
        drawable = true;
        FT_UInt gid = 0;
        if (symbol_) {
            gid = FT_Get_Char_Index(face_.get(), 0xF000u + ch);
            if (gid == 0) gid = FT_Get_Char_Index(face_.get(), ch);
        } else {
            const std::uint32_t unicode = (*toUnicode_)[ch];
            if (unicode != kNoCharacter) gid = FT_Get_Char_Index(face_.get(), unicode);
        }
        if (gid == 0 && ch != tm_.tmDefaultChar) drawable = false;
        return gid;
    }

    const RenderedGlyph& glyph(std::uint8_t ch) {
        if (cachedFor_ == ch) return cached_;
        bool drawable = false;
        const FT_UInt gid = glyphIndex(ch, drawable);
        return renderCached(ch, gid, drawable);
    }

    // The glyph gid drawn for ch, kept as the cached glyph.
    const RenderedGlyph& renderCached(std::uint8_t ch, FT_UInt gid, bool drawable) {
        cachedFor_ = ch;
        // The last glyph's bits keep their memory for this one.
        std::vector<std::uint8_t> bits = std::move(cached_.bits);
        cached_ = RenderedGlyph();
        cached_.bits = std::move(bits);
        cached_.bits.clear();
        render(gid, cached_);
        cached_.drawable = cached_.drawable && drawable;
        return cached_;
    }

    void render(FT_UInt gid, RenderedGlyph& g) {
        FT_Face f = face_.get();
        const bool synthetic = syntheticBold_ || syntheticItalic_;
        FT_Int32 flags = FT_LOAD_TARGET_MONO | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;
        if (synthetic) flags |= FT_LOAD_NO_BITMAP;
        // A hinted load leaves the outline's control box in the metrics, rounded out to whole
        // pixels; an unhinted one leaves it unrounded.
        bool hinted = true;
        if (FT_Load_Glyph(f, gid, flags) != 0) {
            hinted = false;
            if (FT_Load_Glyph(f, gid, flags | FT_LOAD_NO_HINTING) != 0) return;
        }
        FT_GlyphSlot slot = f->glyph;
        g.advance = static_cast<std::int32_t>((slot->metrics.horiAdvance + 63) >> 6) + (syntheticBold_ ? 1 : 0);
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            FT_Outline& outline = slot->outline;
            if (syntheticBold_) FT_Outline_Embolden(&outline, FT_MulDiv(ppem_, 64, 24));
            if (syntheticItalic_) {
                FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
                FT_Outline_Transform(&outline, &shear);
            }
            FT_BBox box;
            if (hinted && !synthetic) {
                const FT_Glyph_Metrics& m = slot->metrics;
                box = {m.horiBearingX, m.horiBearingY - m.height, m.horiBearingX + m.width, m.horiBearingY};
            } else {
                FT_Outline_Get_CBox(&outline, &box);
            }
            const FT_Pos xMin = box.xMin >> 6, yMin = box.yMin >> 6;
            const FT_Pos xMax = (box.xMax + 63) >> 6, yMax = (box.yMax + 63) >> 6;
            g.left = static_cast<int>(xMin);
            g.top = static_cast<int>(yMax);
            g.width = outline.n_points > 0 ? static_cast<int>(xMax - xMin) : 0;
            g.rows = outline.n_points > 0 ? static_cast<int>(yMax - yMin) : 0;
            g.pitch = (g.width + 7) / 8;
            g.bits.assign(std::size_t(g.pitch) * std::size_t(g.rows), 0);
            if (g.width > 0 && g.rows > 0) {
                FT_Outline_Translate(&outline, -xMin * 64, -yMin * 64);
                FT_Bitmap target;
                FT_Bitmap_Init(&target);
                target.rows = static_cast<unsigned>(g.rows);
                target.width = static_cast<unsigned>(g.width);
                target.pitch = g.pitch;
                target.buffer = g.bits.data();
                target.num_grays = 2;
                target.pixel_mode = FT_PIXEL_MODE_MONO;
                if (FT_Outline_Get_Bitmap(library_.get(), &outline, &target) != 0) return;
            }
        } else if (slot->format == FT_GLYPH_FORMAT_BITMAP && slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            const FT_Bitmap& b = slot->bitmap;
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.width = static_cast<int>(b.width);
            g.rows = static_cast<int>(b.rows);
            g.pitch = (g.width + 7) / 8;
            g.bits.assign(std::size_t(g.pitch) * std::size_t(g.rows), 0);
            for (int r = 0; r < g.rows; ++r)
                std::memcpy(&g.bits[std::size_t(r) * std::size_t(g.pitch)], b.buffer + std::ptrdiff_t(r) * b.pitch,
                            std::size_t(g.pitch));
        } else {
            return;
        }
        // An empty black box (a space) reports B = 0, so that it keeps its whole advance.
        g.abc.abcA = g.width > 0 ? g.left : 0;
        g.abc.abcB = static_cast<std::uint32_t>(g.width);
        g.abc.abcC = g.advance - g.abc.abcA - g.width;
        g.drawable = true;
    }

    std::shared_ptr<FacePool> pool_;
    LibraryPtr library_;
    FacePtr face_;
    FT_CharMap walkedCharmap_;
    FT_ULong lastCharCode_;
    InstalledFace info_;
    std::uint8_t realisedCharset_ = 0;
    const std::array<std::uint32_t, 256>* toUnicode_ = nullptr;
    bool symbol_ = false;
    bool syntheticBold_ = false;
    bool syntheticItalic_ = false;
    int ppem_ = 0;
    TEXTMETRIC tm_;
    int cachedFor_ = -1;
    RenderedGlyph cached_;
};
}  // namespace

std::unique_ptr<Font> MakeFreeTypeFont(std::shared_ptr<FacePool> pool, OpenFace opened, const InstalledFace& info,
                                       const LOGFONT& lf) {
    auto font = std::make_unique<FreeTypeFont>(std::move(pool), std::move(opened), info, lf);
    if (!font->valid()) return nullptr;
    return font;
}

}  // namespace gdi
