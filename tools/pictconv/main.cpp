// main.cpp: pictconv, handheld picture records to and from .bmp files.
#include "SamplePictures.h"
#include "picture/PictureEncoder.h"
#include "picture/PictureExporter.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/WholeFile.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <vector>

namespace {
constexpr int kRefused = 3;

int error(const std::string& subject, const std::string& text, int code = 1) {
    std::fprintf(stderr, "pictconv: %s: %s\n", subject.c_str(), text.c_str());
    return code;
}

int decode(const std::string& recordPath, const std::string& out, bool overwrite) {
    const auto read = win::ReadWholeFile(recordPath);
    if (!read) return error(recordPath, "cannot open the file");
    const std::vector<std::uint8_t>& record = *read;
    if (!overwrite && std::ifstream(out)) return error(out, "the file exists (use --overwrite to replace it)");
    PictureExporter exporter;
    if (!exporter.exportPicture(record.data(), static_cast<std::uint32_t>(record.size()), out, overwrite))
        return error(recordPath, exporter.failure());
    return 0;
}

int encode(const std::string& bmpPath, const std::string& out, const DeviceFormat& format) {
    std::vector<std::uint8_t> record;
    std::uint32_t length = 0;
    EncodeRefusal why = EncodeRefusal::None;
    buildPictureRecord(bmpPath, format, record, length, &why);
    switch (why) {
    case EncodeRefusal::None: break;
    case EncodeRefusal::CannotLoad: return error(bmpPath, "not a .bmp file this program reads");
    case EncodeRefusal::TooWide:
        return error(bmpPath, "wider than the maximum width of " + std::to_string(format.maxWidth) + " pixels", kRefused);
    case EncodeRefusal::TooTall:
        return error(bmpPath, "taller than the maximum height of " + std::to_string(format.maxHeight) + " pixels",
                     kRefused);
    case EncodeRefusal::NoPixels:
        return error(bmpPath, "no pixels are left after cutting the picture to even dimensions for density " +
                                  std::to_string(format.density), kRefused);
    case EncodeRefusal::RawTooLarge:
        return error(bmpPath, "more pixel data than the maximum raw size of " + std::to_string(format.maxRawSize) +
                                  " bytes", kRefused);
    }
    if (!win::writeFileAtomically(out, {std::span<const std::uint8_t>(record.data(), length)}, true))
        return error(out, "cannot write the file");
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"pictconv: handheld picture records to and from .bmp files"};
    app.require_subcommand(1);

    std::string input, output;
    bool overwrite = false;
    auto* decodeCommand = app.add_subcommand("decode", "a file holding one picture record -> .bmp");
    decodeCommand->add_option("RECORD", input, "the record file")->required();
    decodeCommand->add_option("-o", output, "the .bmp file to write")->required();
    decodeCommand->add_flag("--overwrite", overwrite, "replace an existing .bmp file");

    DeviceFormat format;
    int depth = 16, density = 144;
    bool compress = true;
    auto* encodeCommand = app.add_subcommand("encode", ".bmp -> a picture record within a handheld's limits");
    encodeCommand->add_option("BMP", input, "the .bmp file")->required();
    encodeCommand->add_option("-o", output, "the record file to write")->required();
    encodeCommand->add_option("--depth", depth, "deepest depth the handheld takes")->check(CLI::IsMember({8, 16}));
    encodeCommand->add_option("--density", density, "the handheld's density")->check(CLI::IsMember({72, 144}));
    encodeCommand->add_flag("--compress,!--no-compress", compress, "a compressed version-2 record (default)");
    encodeCommand->add_option("--max-width", format.maxWidth, "widest picture in pixels")->check(CLI::Range(1, 32767));
    encodeCommand->add_option("--max-height", format.maxHeight, "tallest picture in pixels")->check(CLI::Range(1, 32767));
    encodeCommand->add_option("--max-raw", format.maxRawSize, "largest uncompressed pixel data in bytes");

    std::string sampleName;
    auto* sampleCommand = app.add_subcommand("sample", "draw a sample picture (sunset or moon) as a .bmp file");
    sampleCommand->add_option("NAME", sampleName, "sunset or moon")->required()->check(CLI::IsMember({"sunset", "moon"}));
    sampleCommand->add_option("-o", output, "the .bmp file to write")->required();

    CLI11_PARSE(app, argc, argv);
    if (decodeCommand->parsed()) return decode(input, output, overwrite);
    if (sampleCommand->parsed()) return writeSamplePicture(sampleName, output) ? 0 : error(output, "cannot write the file");
    format.depth = static_cast<std::uint8_t>(depth);
    format.density = static_cast<std::uint16_t>(density);
    format.compression = compress ? 1 : 0;
    return encode(input, output, format);
}
