// SampleCommand.cpp: builds the sample digit fonts and writes them as a Typehold file.
#include "SampleCommand.h"

#include "CommandError.h"
#include "InputFiles.h"
#include "core/FontList.h"
#include "core/FontRecord.h"
#include "core/qz_fileio/AtomicWrite.h"
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/PalmDb.h"
#include "core/qz_fileio/PalmTime.h"

#include <array>
#include <cstdio>

namespace {
constexpr int kGlyphRows = 5;
constexpr int kAdvance = 4;  // three columns of ink and one of space
constexpr int kCellRows = 6; // five above the baseline, one below

// Rows of the digits 0 to 9 and of the missing-character symbol, bit 2 the leftmost column.
constexpr std::array<std::array<std::uint8_t, kGlyphRows>, 11> kGlyphs{{
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
    {5, 2, 5, 2, 5},
}};

void setBit(std::vector<std::uint8_t>& strike, int rowBytes, int x, int y) {
    strike[static_cast<std::size_t>(y * rowBytes + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

// The strike at scale 1 or 2: every pixel of the cell becomes scale x scale pixels.
std::vector<std::uint8_t> drawStrike(int rowWords, int scale) {
    const int rowBytes = rowWords * 2 * scale;
    std::vector<std::uint8_t> strike(static_cast<std::size_t>(rowBytes * kCellRows * scale), 0);
    for (std::size_t g = 0; g < kGlyphs.size(); ++g)
        for (int row = 0; row < kGlyphRows; ++row)
            for (int col = 0; col < 3; ++col)
                if (kGlyphs[g][static_cast<std::size_t>(row)] & (4 >> col))
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx)
                            setBit(strike, rowBytes, (int(g) * kAdvance + col) * scale + dx, row * scale + dy);
    return strike;
}

CFontRecord sampleFont(bool twoDensities) {
    CFontRecord f;
    const int count = static_cast<int>(kGlyphs.size());
    const int widthBits = count * kAdvance;
    f.font.fontType = twoDensities ? CFontRecord::kTwoDensityType : CFontRecord::kSingleDensityType;
    f.font.firstChar = '0';
    f.font.lastChar = '9';
    f.font.maxWidth = kAdvance;
    f.font.fRectWidth = kAdvance;
    f.font.fRectHeight = kCellRows;
    f.font.ascent = kGlyphRows;
    f.font.descent = kCellRows - kGlyphRows;
    f.font.rowWords = static_cast<std::uint16_t>((widthBits + 15) / 16);
    for (int i = 0; i <= count; ++i) f.locationTable.push_back(static_cast<std::uint16_t>(i * kAdvance));
    for (int i = 0; i < count; ++i) f.offsetWidth.insert(f.offsetWidth.end(), {0, kAdvance});
    f.strike1 = drawStrike(f.font.rowWords, 1);
    if (twoDensities) {
        f.header.flags = CFontRecord::kFlagsTwoDensity;
        f.strike2 = drawStrike(f.font.rowWords, 2);
        f.font.version = 1;
        f.font.densityCount = 2;
    }
    f.header.pointSize = kCellRows;
    f.SetLayoutFields();
    f.name = "Sample Digits";
    f.style = twoDensities ? "B" : "";
    return f;
}
}  // namespace

int runSample(const std::string& outPath, bool overwrite) {
    return runReportingErrors(outPath, [&] {
        requireNewOutput(outPath, overwrite);
        qz_gen::CPalmDb db;
        std::uint32_t uniqueID = 1;
        for (const bool two : {false, true}) {
            const auto bytes = Serialise(sampleFont(two));
            if (!bytes) throw CommandError("the sample font does not serialise");
            qz_gen::CDbRecord record;
            record.SetUniqueID(uniqueID++);
            if (record.SetData(static_cast<std::uint32_t>(bytes->size()), bytes->data()) != qz_gen::kDbOk ||
                db.AddRecord(record) != qz_gen::kDbOk)
                throw CommandError("out of memory");
        }
        db.SetName("Typehold Sample");
        auto& h = db.Header();
        h.creationDate = h.modificationDate = qz_gen::PalmNow();
        h.type = CFontList::kTypeXFnt;
        h.creator = CFontList::kCreatorFmgr;
        db.SetLayoutFields();
        qz_gen::WriteDatabaseFile(outPath, db);
        std::printf("wrote %s\n", outPath.c_str());
        return 0;
    });
}
