// The row-at-a-time coders checked pixel by pixel against the bitmap the whole-file loader gives
// (GetPixel) and the colour functions, on every picture of the fuzz corpus: .bmp files encoded at
// each depth, density and compression; picture records decoded to .bmp files.
#include "picture/Palettes.h"
#include "picture/PictureEncoder.h"
#include "picture/PictureExporter.h"
#include "picture/PictureRecord.h"
#include "picture/RunLength.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/gdi/BmpFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {
std::vector<fs::path> corpus(const char* kind) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(FUZZ_CORPUS_DIR) / kind)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The record pixels of a loaded picture, one GetPixel at a time.
Bytes expectedPixels(const gdi::Bitmap& picture, int width, int height, int depth) {
    const std::size_t rowBytes = recordRowBytes(width, depth);
    Bytes raw(rowBytes * std::size_t(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint16_t v = colorToIndex(picture.GetPixel(x, y), depth);
            std::uint8_t* p = &raw[std::size_t(y) * rowBytes];
            if (depth == 8) {
                p[x] = static_cast<std::uint8_t>(v);
            } else {
                bytes::storeU16BE(p + 2 * x, v);
            }
        }
    return raw;
}
}  // namespace

TEST(RowCoding, EncodedCorpusMatchesThePixelByPixelCode) {
    int encoded = 0;
    for (const auto& file : corpus("bmp")) {
        SCOPED_TRACE(file.filename().string());
        const auto picture = gdi::LoadImage(file.string());
        // The row reader must give exactly the loaded bitmap's rows.
        std::string why;
        auto rows = gdi::BmpRowReader::Open(file.string(), &why);
        ASSERT_EQ(rows != nullptr, picture != nullptr) << why;
        if (picture) {
            Bytes row(3 * std::size_t(picture->Width()));
            for (int y = 0; y < picture->Height(); ++y) {
                ASSERT_TRUE(rows->ReadRow(y, row.data()));
                ASSERT_EQ(0, std::memcmp(row.data(), picture->Row(y), row.size())) << "row " << y;
            }
        }
        for (const int depth : {8, 16})
            for (const std::uint16_t density : {72, 144})
                for (const std::uint8_t compression : {0, 1}) {
                    SCOPED_TRACE(std::to_string(depth) + " bits, density " + std::to_string(density) +
                                 (compression ? ", compressed" : ""));
                    DeviceFormat format;
                    format.depth = static_cast<std::uint8_t>(depth);
                    format.maxWidth = format.maxHeight = 4096;
                    format.maxRawSize = 1u << 30;
                    format.density = density;
                    format.compression = compression;
                    Bytes record;
                    std::uint32_t length = 0;
                    EncodeRefusal refusal = EncodeRefusal::None;
                    buildPictureRecord(file.string(), format, record, length, &refusal);
                    if (!picture) {
                        EXPECT_EQ(refusal, EncodeRefusal::CannotLoad);
                        continue;
                    }
                    int width = picture->Width(), height = picture->Height();
                    if (density == 144) width -= width % 2, height -= height % 2;
                    if (width == 0 || height == 0) continue;
                    ASSERT_EQ(refusal, EncodeRefusal::None);
                    const int recordDepth = depth == 16 && picture->BitsPerPixel() > 8 ? 16 : 8;
                    const Bytes raw = expectedPixels(*picture, width, height, recordDepth);
                    const auto header = readPictureHeader(record);
                    ASSERT_TRUE(header);
                    EXPECT_EQ(header->width, width);
                    EXPECT_EQ(header->height, height);
                    EXPECT_EQ(header->depth, recordDepth);
                    Bytes pixels;
                    if (compression) {
                        Bytes stream;
                        compressRunLength(raw, recordDepth == 16 ? 2 : 1, stream);
                        pixels.assign(record.begin() + PictureRecord::kVersion2HeaderSize, record.end());
                        EXPECT_EQ(pixels, stream);
                    } else {
                        pixels.assign(record.begin() + PictureRecord::kVersion1HeaderSize, record.end());
                        EXPECT_EQ(pixels, raw);
                    }
                    EXPECT_EQ(length, record.size());
                    ++encoded;
                }
    }
    EXPECT_GT(encoded, 40);
}

TEST(RowCoding, DecodedCorpusMatchesThePixelByPixelDrawing) {
    TempDir dir;
    int decoded = 0;
    for (const auto& file : corpus("picture")) {
        SCOPED_TRACE(file.filename().string());
        const Bytes record = readWholeFile(file.string());
        PictureExporter exporter;
        const std::string out = dir.file(file.stem().string() + ".bmp");
        if (!exporter.exportPicture(record.data(), static_cast<std::uint32_t>(record.size()), out, true)) continue;
        // The same picture drawn one SetPixel at a time into a white bitmap.
        const auto header = readPictureHeader(record);
        ASSERT_TRUE(header);
        Bytes raw;
        std::size_t rowBytes = 0;
        if (header->IsVersion2()) {
            const auto stream = std::span(record).subspan(PictureRecord::kVersion2HeaderSize);
            if (header->compressed) {
                const auto expanded = expandRunLength(stream, header->rawSize, header->depth > 8 ? 2 : 1);
                ASSERT_TRUE(expanded);
                raw = *expanded;
            } else {
                raw.assign(stream.begin(), stream.begin() + header->rawSize);
            }
            rowBytes = header->rawSize / std::size_t(header->height);
        } else {
            raw.assign(record.begin() + PictureRecord::kVersion1HeaderSize, record.end());
            rowBytes = raw.size() / std::size_t(header->height);
        }
        const std::size_t stride = header->depth > 8 ? rowBytes / 2 * 2 : rowBytes;
        auto drawn = gdi::CreateCompatibleBitmap(header->width, header->height);
        ASSERT_TRUE(drawn);
        const int bits = header->depth > 8 ? 16 : header->depth;
        for (int y = 0; y < header->height; ++y)
            for (int x = 0; x < header->width; ++x) {
                const std::uint8_t* row = &raw[std::size_t(y) * stride];
                gdi::COLORREF c = 0;
                if (bits == 16) {
                    c = rgb565BytesToColor(row[2 * x], row[2 * x + 1]);
                } else if (bits == 1 || bits == 2 || bits == 4 || bits == 8) {
                    const std::size_t bit = std::size_t(bits) * std::size_t(x);
                    c = indexToColor(static_cast<std::uint8_t>(row[bit / 8] << (bit % 8)), header->depth);
                }
                drawn->SetPixel(x, y, c);
            }
        const auto block = gdi::bitmapToPackedDib(*drawn);
        ASSERT_TRUE(block);
        const Bytes written = readWholeFile(out);
        ASSERT_GT(written.size(), 14u);
        EXPECT_EQ(Bytes(written.begin() + 14, written.end()), *block);
        ++decoded;
    }
    EXPECT_GE(decoded, 5);
}
