// main.cpp: pictconv, handheld picture records to and from .bmp files.
#include "PictureDatabase.h"
#include "SamplePictures.h"
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/PalmDb.h"
#include "picture/PictureEncoder.h"
#include "picture/PictureExporter.h"
#include "picture/PictureRecord.h"
#include "platform/gdi/BmpFile.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/WholeFile.h"
#include "tools/common/CommandLine.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {
constexpr int kRefused = 3;

int error(const std::string& subject, const std::string& text, int code = 1) {
    std::fprintf(stderr, "pictconv: %s: %s\n", subject.c_str(), text.c_str());
    return code;
}

// The database bytes hold when they are a Palm database; none otherwise.
std::unique_ptr<qz_gen::CPalmDb> asDatabase(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < qz_gen::CPalmDb::kHeaderSize) return nullptr;
    auto db = std::make_unique<qz_gen::CPalmDb>();
    try {
        if (db->ReadFromBytes(bytes) != 0 || db->GetName().empty()) return nullptr;
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        return nullptr;
    }
    return db;
}

// A picture record file, or a picture database holding one (as hotsync store --export writes).
int decode(const std::string& inputPath, const std::string& out, bool overwrite) {
    if (const auto why = cli::cannotRead(inputPath)) return error(inputPath, *why);
    if (const auto why = cli::cannotCreate(out, overwrite)) return error(out, *why);
    auto read = win::ReadWholeFile(inputPath);
    if (!read) return error(inputPath, "cannot be read");
    std::vector<std::uint8_t> record = std::move(*read);
    if (const auto db = asDatabase(record)) {
        if (!isPictureDatabase(*db))
            return error(inputPath, "a Palm database of type " + cli::fourCharCode(db->Header().type) + ", creator " +
                                        cli::fourCharCode(db->Header().creator) +
                                        ", not a picture database (type bpmf or bpmc, creator DrAw)");
        std::string why;
        auto picture = pictureRecordOf(*db, why);
        if (!picture) return error(inputPath, why);
        record = std::move(*picture);
    } else if (record.empty() || (record[0] != PictureRecord::kVersion1HeaderSize &&
                                  record[0] != PictureRecord::kVersion2HeaderSize)) {
        std::string seems = cli::describeContent(record);
        if (seems.empty()) seems = "its header is not that of a picture record";
        if (gdi::HasBmpSignature(record)) seems += " (pictconv encode makes a record of one)";
        return error(inputPath, "neither a picture record nor a picture database: " + seems);
    }
    PictureExporter exporter;
    if (!exporter.exportPicture(record.data(), static_cast<std::uint32_t>(record.size()), out, overwrite))
        return error(inputPath, exporter.failure());
    return 0;
}

int encode(const std::string& bmpPath, const std::string& out, bool overwrite, const DeviceFormat& format) {
    if (const auto why = cli::cannotRead(bmpPath)) return error(bmpPath, *why);
    if (const auto why = cli::cannotCreate(out, overwrite)) return error(out, *why);
    // The whole file is read only to say what else it is.
    if (const auto start = win::ReadFileStart(bmpPath, gdi::kBmpSignatureSize); start && !gdi::HasBmpSignature(*start)) {
        const auto bytes = win::ReadWholeFile(bmpPath);
        const std::string seems = bytes ? cli::describeContent(*bytes) : std::string();
        return error(bmpPath, "not a .bmp file" + (seems.empty() ? std::string() : ": " + seems));
    }
    std::vector<std::uint8_t> record;
    std::uint32_t length = 0;
    EncodeRefusal why = EncodeRefusal::None;
    buildPictureRecord(bmpPath, format, record, length, &why);
    switch (why) {
    case EncodeRefusal::None: break;
    case EncodeRefusal::CannotLoad: return error(bmpPath, "a .bmp file of a kind or size this program does not read");
    case EncodeRefusal::TooWide:
        return error(bmpPath, "wider than the handheld's maximum width of " + std::to_string(format.maxWidth) +
                                  " pixels at density " + std::to_string(format.density), kRefused);
    case EncodeRefusal::TooTall:
        return error(bmpPath, "taller than the handheld's maximum height of " + std::to_string(format.maxHeight) +
                                  " pixels at density " + std::to_string(format.density), kRefused);
    case EncodeRefusal::NoPixels:
        return error(bmpPath, "no pixels are left after cutting the picture to even dimensions for density " +
                                  std::to_string(format.density), kRefused);
    case EncodeRefusal::RawTooLarge:
        return error(bmpPath, "more pixel data than the maximum raw size of " + std::to_string(format.maxRawSize) +
                                  " bytes", kRefused);
    }
    if (!win::writeFileAtomically(out, {std::span<const std::uint8_t>(record.data(), length)}, overwrite))
        return error(out, "cannot write the file");
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"pictconv: handheld picture records to and from .bmp files", "pictconv"};
    app.footer("Exit codes: 0 done, 1 failed (the message names the file and the cause), 2 wrong command line,\n"
               "3 the picture is over a limit of the handheld (encode).");
    app.require_subcommand(1);

    std::string input, output;
    bool overwrite = false;
    auto* decodeCommand = app.add_subcommand("decode", "a picture record, or a picture database (.pdb) -> .bmp");
    decodeCommand->add_option("RECORD", input, "the record file, or a picture database")->required();
    decodeCommand->add_option("-o", output, "the .bmp file to write")->required();
    decodeCommand->add_flag("--overwrite", overwrite, "replace an existing .bmp file");

    DeviceFormat format;
    int depth = 16, density = 144;
    bool compress = true;
    auto* encodeCommand = app.add_subcommand("encode", ".bmp -> a picture record within a handheld's limits");
    encodeCommand->add_option("BMP", input, "the .bmp file")->required();
    encodeCommand->add_option("-o", output, "the record file to write")->required();
    encodeCommand->add_flag("--overwrite", overwrite, "replace an existing record file");
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
    sampleCommand->add_flag("--overwrite", overwrite, "replace an existing .bmp file");

    if (const auto exit = cli::parse(app, argc, argv)) return *exit;
    if (decodeCommand->parsed()) return decode(input, output, overwrite);
    if (sampleCommand->parsed()) {
        if (const auto why = cli::cannotCreate(output, overwrite)) return error(output, *why);
        return writeSamplePicture(sampleName, output, overwrite) ? 0 : error(output, "cannot write the file");
    }
    format.depth = static_cast<std::uint8_t>(depth);
    format.density = static_cast<std::uint16_t>(density);
    format.compression = compress ? 1 : 0;
    return encode(input, output, overwrite, format);
}
