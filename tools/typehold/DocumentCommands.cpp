// DocumentCommands.cpp: the document commands over CFontDoc, as the converter's own commands
// would run them.
#include "DocumentCommands.h"

#include "CommandError.h"
#include "CommandLineUi.h"
#include "InputFiles.h"
#include "TextForJson.h"
#include "core/FontDoc.h"
#include "core/PathNames.h"
#include "app/FontListActions.h"
#include "core/qz_fileio/DbRecord.h"
#include "platform/gdi/CodePages.h"
#include "resources/converter/ConverterStrings.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>

namespace {
// A failure the UI has already printed.
constexpr int kReported = 1;

// Opens file as the converter's Open does, with the fonts in their listed order.
bool openDocument(CFontDoc& doc, const CommandLineUi& ui, const std::string& file) {
    requireInput(file, Expected::TypeholdFile);
    doc.Fonts().SetCodePage(desktopCodePage());
    doc.Fonts().SetMapFiles(true);
    if (const Outcome opened = doc.OnOpenDocument(file); !opened) {
        if (!opened.HasMessages()) throw CommandError("cannot open the file");
        ui.Report(opened);
        return false;
    }
    doc.Fonts().Sort();
    return true;
}

FontEntry* entryAt(CFontDoc& doc, unsigned index) {
    if (index >= doc.Fonts().Count())
        throw CommandError("no font at index " + std::to_string(index) + " (the file lists " +
                           std::to_string(doc.Fonts().Count()) + ")");
    return doc.Fonts().At(index);
}

int save(CFontDoc& doc, const CommandLineUi& ui, const std::string& file) {
    doc.MarkModified(true);
    return ui.Report(doc.DoSave(file, true)) ? 0 : kReported;
}
}  // namespace

int runList(const std::string& file, bool json) {
    return runReportingErrors(file, [&] {
        CommandLineUi ui(file);
        CFontDoc doc(ui);
        if (!openDocument(doc, ui, file)) return kReported;
        const auto& fonts = doc.Fonts();
        for (std::size_t i = 0; i < fonts.Count(); ++i) {
            const FontEntry& e = *fonts.At(i);
            if (json) {
                nlohmann::ordered_json j{{"name", desktopText(e.name)},
                                         {"style", desktopText(e.style)},
                                         {"size", e.size},
                                         {"highDensity", e.highDensity != 0},
                                         {"headerOnly", e.headerOnly != 0},
                                         {"slot", e.record->GetIndex()},
                                         {"uniqueID", e.record->GetUniqueID()}};
                std::cout << j.dump() << '\n';
            } else {
                std::printf("%s %s %3u  %s%s\n", gdi::PadToWidth(desktopText(e.name), 31).c_str(),
                            gdi::PadToWidth(desktopText(e.style), 8).c_str(), unsigned(e.size),
                            e.highDensity ? "double" : "single", e.headerOnly ? "  header only" : "");
            }
        }
        std::fflush(stdout);
        return 0;
    });
}

int runRename(const std::string& file, unsigned index, const std::optional<std::string>& name,
              const std::optional<std::string>& style) {
    return runReportingErrors(file, [&] {
        CommandLineUi ui(file);
        CFontDoc doc(ui);
        if (!openDocument(doc, ui, file)) return kReported;
        FontEntry* entry = entryAt(doc, index);
        FontDetails details = DetailsOf(doc, *entry);
        details.name = name.value_or(details.name);
        details.style = style.value_or(details.style);
        const DetailsCheck check = CheckDetails(details.name, details.style, details.codePage);
        switch (check.problem) {
        case DetailsProblem::NameTooLong: throw CommandError(converter::LoadConverterString(converter::kStrNameTooLong));
        case DetailsProblem::StyleTooLong: throw CommandError(converter::LoadConverterString(converter::kStrStyleTooLong));
        case DetailsProblem::NameCharacter:
        case DetailsProblem::StyleCharacter: throw CommandError(MissingCharacterText(check, details.codePage));
        case DetailsProblem::None: break;
        }
        if (!RenameFont(doc, *entry, details)) throw CommandError("the font record cannot be renamed");
        return save(doc, ui, file);
    });
}

int runDelete(const std::string& file, const std::vector<unsigned>& indexes) {
    return runReportingErrors(file, [&] {
        CommandLineUi ui(file);
        CFontDoc doc(ui);
        if (!openDocument(doc, ui, file)) return kReported;
        std::vector<FontEntry*> doomed;
        for (const unsigned index : std::set<unsigned>(indexes.begin(), indexes.end()))
            doomed.push_back(entryAt(doc, index));
        for (FontEntry* entry : doomed)
            if (!doc.Fonts().Delete(entry)) throw CommandError("the font cannot be deleted");
        return save(doc, ui, file);
    });
}

int runMerge(const std::string& out, const std::vector<std::string>& inputs) {
    // Every input is checked before the output is touched.
    for (const auto& input : inputs) {
        const int rc = runReportingErrors(input, [&] {
            requireInput(input, Expected::TypeholdFile);
            return 0;
        });
        if (rc != 0) return rc;
        if (sameFile(input, out))
            return runReportingErrors(out, []() -> int { throw CommandError("cannot merge a file into itself"); });
    }
    return runReportingErrors(out, [&] {
        CommandLineUi ui(out);
        CFontDoc doc(ui);
        std::error_code ec;
        if (std::filesystem::exists(out, ec)) {
            if (!openDocument(doc, ui, out)) return kReported;
        } else {
            requireNewOutput(out, false);
            if (!doc.OnNewDocument(fileTitle(out))) throw CommandError("out of memory");
        }
        for (const auto& input : inputs) {
            ui.SetSubject(input);
            CFontList source;
            source.SetMapFiles(true);
            if (!ui.Report(source.Load(input))) return kReported;
            ui.SetSubject(out);
            Outcome refusal = Outcome::Stopped();
            if (doc.Fonts().AddCopies(source, &refusal) < source.Count()) {
                // A full file says so; nothing is saved either way.
                if (refusal.HasMessages()) {
                    ui.Report(refusal);
                    return kReported;
                }
                throw CommandError(input + ": out of memory");
            }
        }
        doc.Fonts().Sort();
        return save(doc, ui, out);
    });
}
