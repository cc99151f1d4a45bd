// FontCommands.cpp: `typehold fonts` and `typehold convert`, installed fonts to Typehold files.
#include "FontCommands.h"

#include "CharSetNames.h"
#include "CommandError.h"
#include "CommandLineUi.h"
#include "HeapReserve.h"
#include "InputFiles.h"
#include "TextForJson.h"
#include "app/AddGroupBatch.h"
#include "app/ConversionBatch.h"
#include "app/ConverterSettings.h"
#include "app/RegistryStore.h"
#include "app/FontCatalog.h"
#include "core/FontDoc.h"
#include "core/FontRecord.h"
#include "core/PathNames.h"
#include "core/qz_fileio/DbRecord.h"
#include "core/qz_fileio/File.h"
#include "core/qz_fileio/PalmDb.h"
#include "platform/gdi/CodePages.h"
#include "platform/gdi/FreeTypeFontEngine.h"
#include "platform/win/WholeFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <future>
#include <iostream>
#include <unistd.h>

namespace {
FontStyle parseStyle(const std::string& name) {
    if (name == "regular") return FontStyle::Regular;
    if (name == "bold") return FontStyle::Bold;
    if (name == "italic") return FontStyle::Italic;
    if (name == "bolditalic") return FontStyle::BoldItalic;
    throw CommandError("unknown style \"" + name + "\" (regular, bold, italic, bolditalic)");
}

// A bar on stderr, for a terminal.
void showProgress(std::size_t done, std::size_t total, const Combination& c) {
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(done * kWidth / (total ? total : 1));
    std::fprintf(stderr, "\r[%s%s] %zu/%zu %-40.40s", std::string(std::size_t(filled), '#').c_str(),
                 std::string(std::size_t(kWidth - filled), ' ').c_str(), done, total,
                 (c.font.faceName + " " + std::to_string(c.size) + " " + StyleName(c.style)).c_str());
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}
}  // namespace

int runFonts(std::optional<int> charSet, bool json) {
    return runReportingErrors("fonts", [&] {
        gdi::FreeTypeFontEngine engine;
        FontCatalog catalog;
        catalog.Enumerate(engine);
        bool headed = false;
        // Face names are 8-bit text, each character Latin-1 (see gdi::InstalledFaces).
        for (const auto& e : catalog.Entries()) {
            if (charSet && e.charSet != *charSet) continue;
            const std::string script = e.scriptName.empty() ? charSetScript(e.charSet) : e.scriptName;
            if (json) {
                std::cout << nlohmann::ordered_json{{"face", latin1ToUtf8(e.faceName)},
                                                    {"script", script},
                                                    {"charSet", e.charSet},
                                                    {"pitchAndFamily", e.pitchAndFamily}}
                                 .dump()
                          << '\n';
            } else {
                if (!headed) std::printf("%-31s %-18s %7s  %s\n", "FACE", "SCRIPT", "CHARSET", "PITCH&FAMILY");
                headed = true;
                std::printf("%s %-18s %7u  0x%02X\n", gdi::PadToWidth(latin1ToUtf8(e.faceName), 31).c_str(),
                            script.c_str(), unsigned(e.charSet), unsigned(e.pitchAndFamily));
            }
        }
        if (!headed && !json)
            std::fprintf(stderr, "typehold: no installed TrueType font%s\n",
                         charSet ? (" with character set " + std::to_string(*charSet)).c_str() : "");
        std::fflush(stdout);
        return 0;
    });
}

namespace {
constexpr FontStyle kStyleOrder[] = {FontStyle::Regular, FontStyle::Bold, FontStyle::Italic, FontStyle::BoldItalic};

// The stored settings with the choices given on the command line laid over them.
ConverterSettings effectiveSettings(const ConvertOptions& options, RegistryStore& store, std::vector<int>& sizes,
                                    std::vector<FontStyle>& styles) {
    ConverterSettings settings;
    settings.Load(store);
    if (options.charSet) settings.script = static_cast<std::uint32_t>(*options.charSet);
    if (options.highDensity) settings.createHiRes = *options.highDensity ? 1 : 0;
    if (!options.styles.empty()) {
        settings.styles = {0, 0, 0, 0};
        for (const auto& name : options.styles)
            for (std::size_t i = 0; i < 4; ++i)
                if (kStyleOrder[i] == parseStyle(name)) settings.styles[i] = 1;
    }
    styles = CheckedStyles(settings);
    if (!options.sizes.empty()) {
        // In ascending order and each once, as the wizard's list gives them.
        sizes = options.sizes;
        std::sort(sizes.begin(), sizes.end());
        sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
        for (auto& choice : settings.sizes)
            choice.checked = std::find(sizes.begin(), sizes.end(), int(choice.size)) != sizes.end() ? 1 : 0;
    } else {
        sizes = settings.CheckedSizes();
    }
    return settings;
}

// About the bytes of the records a batch converts, all held until the file is written: a record
// of a proportional face's 224 Western characters at s points holds about 22 s^2 bytes at single
// density and five times that with its double-density strike, and none larger than a handheld
// record is kept. A quarter more for the strikes and cells being built.
std::size_t expectedBatchBytes(const std::vector<Combination>& plan, bool highDensity) {
    std::size_t total = 0;
    for (const auto& c : plan) {
        const auto s = static_cast<std::size_t>(std::max(c.size, 0));
        total += std::min<std::size_t>((highDensity ? 110 : 22) * s * s, CFontRecord::kMaxHandheldRecordSize);
    }
    return total + total / 4;
}

// About the heap that reading the database at path takes: for each record an object, its slot
// and its list entry, and the allocator's own bytes. Nothing for a file too short to tell.
std::size_t expectedRecordBytes(const std::string& path) {
    constexpr std::size_t kHeaderSize = qz_gen::CPalmDb::kHeaderSize;
    const auto header = win::ReadFileStart(path, kHeaderSize);
    if (!header || header->size() < kHeaderSize) return 0;
    const auto records = qz_gen::ParsePalmDbHeader(std::span(*header).first<kHeaderSize>()).numRecords;
    return records * (sizeof(qz_gen::CDbRecord) + 48);
}
}  // namespace

int runConvert(const ConvertOptions& options) {
    return runReportingErrors(options.out, [&] {
        if (options.faces.empty()) throw CommandError("no --font given");
        // The file is added to when it exists; either way a wrong one is refused before converting.
        std::error_code ec;
        if (std::filesystem::exists(options.out, ec)) requireInput(options.out, Expected::TypeholdFile);
        else requireNewOutput(options.out, false);
        for (const int size : options.sizes)
            if (size < 1 || size > 255) throw CommandError("size " + std::to_string(size) + " is not 1 to 255 points");
        RegistryStore store("Corvane", "Typehold");
        std::vector<int> sizes;
        std::vector<FontStyle> styles;
        const ConverterSettings settings = effectiveSettings(options, store, sizes, styles);
        CommandLineUi ui(options.out);
        if (!ui.Report(ConverterSettings::ValidateChoices(static_cast<int>(styles.size()), static_cast<int>(sizes.size()))))
            return 1;
        if (options.saveSettings) settings.Save(store);

        // A file converted into is opened while the installed fonts are looked up: for a file of
        // hundreds of megabytes the two take about as long. Its outcome is told where it was before.
        CFontDoc doc(ui);
        doc.Fonts().SetCodePage(desktopCodePage());
        doc.Fonts().SetMapFiles(true);
        // The fonts the file holds are kept as they are, not shown: they need not be listed.
        doc.Fonts().SetListOnLoad(false);
        const bool exists = qz_gen::CFile::Exists(options.out);
        std::future<Outcome> opened;
        if (exists)
            opened = std::async(std::launch::async | std::launch::deferred, [&] {
                // The thread has a heap of its own, which the records fill.
                ReserveHeap(expectedRecordBytes(options.out));
                return doc.OnOpenDocument(options.out);
            });

        // Only the faces of the fonts asked for are read.
        gdi::FreeTypeFontEngine::Options named;
        named.families = options.faces;
        gdi::FreeTypeFontEngine engine(named);
        FontCatalog catalog;
        catalog.Enumerate(engine);
        std::vector<FontCatalogEntry> fonts;
        for (const auto& face : options.faces) {
            std::optional<std::uint8_t> charSet;
            if (settings.script != ConverterSettings::kAllScripts && settings.script <= 0xFF)
                charSet = static_cast<std::uint8_t>(settings.script);
            const auto entry = catalog.Find(face, charSet);
            if (!entry)
                throw CommandError("no installed TrueType font \"" + face + "\"" +
                                   (charSet ? " with character set " + std::to_string(*charSet) : std::string()) +
                                   " (see typehold fonts)");
            // A face given twice (by name in another case, say) is converted once.
            const bool repeated = std::any_of(fonts.begin(), fonts.end(), [&](const FontCatalogEntry& f) {
                return f.faceName == entry->faceName && f.charSet == entry->charSet;
            });
            if (!repeated) fonts.push_back(*entry);
        }
        // Said before converting, so that a short result is not taken for the whole script.
        for (const auto& font : fonts)
            if (const auto note = DoubleByteScriptNote(font.charSet))
                std::fprintf(stderr, "typehold: note: %s: %s\n", font.faceName.c_str(), note->c_str());

        if (exists) {
            if (!ui.Report(opened.get())) return 1;
        } else if (!doc.OnNewDocument(fileTitle(options.out))) {
            throw CommandError("out of memory");
        }
        // A conversion failure is reported with its cause below, not as the converter's generic
        // message.
        CFontList batch;
        batch.SetCodePage(desktopCodePage());
        if (!batch.New()) throw CommandError("out of memory");
        const auto plan = PlanBatch(fonts, sizes, styles);
        // The heap the records will fill is mapped in one go rather than a page at a time.
        ReserveHeap(expectedBatchBytes(plan, settings.createHiRes != 0));
        const unsigned jobs = options.jobs != 0 ? options.jobs : DefaultBatchThreads();
        // Asked once: the batch reports each font it adds.
        const bool onTerminal = ::isatty(STDERR_FILENO) != 0;
        const auto result = RunBatchOnThreads(engine, batch, plan, settings.createHiRes != 0, jobs, nullptr,
                                              [&](std::size_t done, std::size_t total) {
                                                  if (onTerminal) showProgress(done, total, plan[done - 1]);
                                              });
        if (!result.completed) {
            const auto& c = plan[result.converted];
            throw CommandError(c.font.faceName + " " + std::to_string(c.size) + " pt " + StyleName(c.style) + ": " +
                               result.failure);
        }
        Outcome refusal = Outcome::Stopped();
        if (doc.Fonts().AddCopies(batch, &refusal) < batch.Count()) {
            // A full file says so; nothing is saved either way.
            if (refusal.HasMessages()) {
                ui.Report(refusal);
                return 1;
            }
            throw CommandError("out of memory");
        }
        doc.Fonts().Sort();
        doc.MarkModified(true);
        if (!ui.Report(doc.DoSave(options.out, true))) return 1;
        std::printf("converted %zu font%s into %s\n", result.converted, result.converted == 1 ? "" : "s",
                    options.out.c_str());
        // The file holds every other font; each skipped one is named, and the exit status says so.
        for (const auto& line : result.skipped)
            std::fprintf(stderr, "typehold: %s: skipped %s\n", options.out.c_str(), line.c_str());
        return result.skipped.empty() ? 0 : 1;
    });
}
