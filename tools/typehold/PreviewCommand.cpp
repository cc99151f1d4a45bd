// PreviewCommand.cpp: draws a font record the way the handheld would lay out its characters.
#include "PreviewCommand.h"

#include "CommandError.h"
#include "CommandLineUi.h"
#include "PngWriter.h"
#include "core/FontDoc.h"
#include "core/FontRecord.h"
#include "core/qz_fileio/DbRecord.h"
#include "core/qz_fileio/File.h"

#include <cstdio>

namespace {
constexpr int kMargin = 8;
constexpr const char* kSample = "The quick brown fox jumps over the lazy dog. 0123456789";

struct StrikeView {
    const std::vector<std::uint8_t>* bits;
    int rows;
    int bytesPerRow;
    int scale;  // 1 single density, 2 double density
};

bool inkAt(const StrikeView& s, int x, int y) {
    const std::size_t byte = std::size_t(y) * std::size_t(s.bytesPerRow) + std::size_t(x / 8);
    return byte < s.bits->size() && ((*s.bits)[byte] & (0x80 >> (x % 8))) != 0;
}

void drawStrike(GreyImage& image, const StrikeView& s, int left, int top, int zoom) {
    for (int y = 0; y < s.rows; ++y)
        for (int x = 0; x < s.bytesPerRow * 8; ++x)
            if (inkAt(s, x, y))
                for (int dy = 0; dy < zoom; ++dy)
                    for (int dx = 0; dx < zoom; ++dx) image.set(left + x * zoom + dx, top + y * zoom + dy, 0);
}

// The index of a character's entry, or of the missing-character symbol.
int entryFor(const CFontRecord& font, unsigned char c) {
    const int missing = font.Count() - 1;
    if (c < font.font.firstChar || c > font.font.lastChar) return missing;
    const int i = c - font.font.firstChar;
    return font.offsetWidth[2 * std::size_t(i)] == 0xFF ? missing : i;
}

int textWidth(const CFontRecord& font, int scale, int zoom) {
    int width = 0;
    for (const char* p = kSample; *p; ++p)
        width += font.offsetWidth[2 * std::size_t(entryFor(font, static_cast<unsigned char>(*p))) + 1] * scale * zoom;
    return width;
}

void drawText(GreyImage& image, const CFontRecord& font, const StrikeView& s, int left, int top, int zoom) {
    int pen = left;
    for (const char* p = kSample; *p; ++p) {
        const int i = entryFor(font, static_cast<unsigned char>(*p));
        const int from = font.locationTable[std::size_t(i)] * s.scale;
        const int to = font.locationTable[std::size_t(i) + 1] * s.scale;
        for (int y = 0; y < s.rows; ++y)
            for (int x = from; x < to; ++x)
                if (inkAt(s, x, y))
                    for (int dy = 0; dy < zoom; ++dy)
                        for (int dx = 0; dx < zoom; ++dx) image.set(pen + (x - from) * zoom + dx, top + y * zoom + dy, 0);
        pen += font.offsetWidth[2 * std::size_t(i) + 1] * s.scale * zoom;
    }
}
}  // namespace

int runPreview(const std::string& file, unsigned entry, const std::string& out) {
    return runReportingErrors(file, [&] {
        CommandLineUi ui(file);
        CFontDoc doc(ui);
        if (!qz_gen::CFile::Exists(file)) throw CommandError("no such file");
        if (!doc.OnOpenDocument(file)) return 1;
        doc.Fonts().Sort();
        if (entry >= doc.Fonts().Count())
            throw CommandError("no font at index " + std::to_string(entry) + " (the file lists " +
                               std::to_string(doc.Fonts().Count()) + ")");
        const auto font = Parse(doc.Fonts().At(entry)->record->Bytes());
        if (!font || font->header.headerOnly != 0) throw CommandError("the record holds no font to draw");

        const int rows = font->font.fRectHeight;
        const StrikeView single{&font->strike1, rows, font->font.rowWords * 2, 1};
        const StrikeView twice{&font->strike2, 2 * rows, font->font.rowWords * 4, 2};
        const bool two = font->IsHighDensity();
        // Strikes side by side at their own sizes; below them the sample text, the single-density
        // line drawn twice as large so that both lines stand at the same size.
        const int strikeWidth = single.bytesPerRow * 8 + (two ? kMargin + twice.bytesPerRow * 8 : 0);
        const int textLine = std::max(textWidth(*font, 1, 2), two ? textWidth(*font, 2, 1) : 0);
        const int width = 2 * kMargin + std::max(strikeWidth, textLine);
        const int height = kMargin + (two ? 2 * rows : rows) + kMargin + 2 * rows + (two ? kMargin + 2 * rows : 0) + kMargin;
        GreyImage image(width, height);
        int top = kMargin;
        drawStrike(image, single, kMargin, top, 1);
        if (two) drawStrike(image, twice, kMargin + single.bytesPerRow * 8 + kMargin, top, 1);
        top += (two ? 2 * rows : rows) + kMargin;
        drawText(image, *font, single, kMargin, top, 2);
        if (two) drawText(image, *font, twice, kMargin, top + 2 * rows + kMargin, 1);
        std::string why;
        if (!writePng(out, image, why)) throw CommandError(out + ": " + why);
        std::printf("wrote %s (%d x %d)\n", out.c_str(), width, height);
        return 0;
    });
}
