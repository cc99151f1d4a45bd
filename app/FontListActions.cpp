// FontListActions.cpp: the font list view's operations on the document.
#include "FontListActions.h"

#include "core/FontBuilder.h"
#include "core/FontDoc.h"
#include "platform/gdi/CodePages.h"
#include "resources/converter/ConverterStrings.h"

#include <cstdlib>
#include <cstring>

FontDetails ProposedDetails(const FontRequest& font) {
    FontDetails details;
    details.name = font.FaceName();
    details.style = StyleCodeOf(font);
    details.size = std::to_string(font.pointSize);
    return details;
}

DetailsCheck CheckDetails(const std::string& name, const std::string& style, std::uint32_t codePage) {
    DetailsCheck check;
    const auto encodedName = gdi::CodePageFromUtf8(name, codePage);
    const auto encodedStyle = gdi::CodePageFromUtf8(style, codePage);
    if (!encodedName.ok) check.problem = DetailsProblem::NameCharacter, check.character = encodedName.missing;
    else if (encodedName.bytes.size() > CFontList::kMaxNameLength) check.problem = DetailsProblem::NameTooLong;
    else if (!encodedStyle.ok) check.problem = DetailsProblem::StyleCharacter, check.character = encodedStyle.missing;
    else if (encodedStyle.bytes.size() > CFontList::kMaxStyleLength) check.problem = DetailsProblem::StyleTooLong;
    if (check.problem != DetailsProblem::None) return check;
    check.name = encodedName.bytes;
    check.style = encodedStyle.bytes;
    return check;
}

std::string MissingCharacterText(const DetailsCheck& check, std::uint32_t codePage) {
    return std::string(check.problem == DetailsProblem::NameCharacter ? "The font name" : "The font style") +
           " can not hold the character " + gdi::DescribeCharacter(check.character) +
           ": the handheld's code page " + std::to_string(codePage) + " has no such character.";
}

FontDetails DetailsOf(const CFontDoc& doc, const FontEntry& entry) {
    FontDetails details;
    details.canChange = false;
    details.highDensity = entry.highDensity != 0 ? 1 : 0;
    details.size = std::to_string(entry.size);
    details.codePage = doc.Fonts().CodePage();
    details.name = gdi::CodePageToUtf8(entry.name, details.codePage);
    details.style = gdi::CodePageToUtf8(entry.style, details.codePage);
    return details;
}

bool RenameFont(CFontDoc& doc, FontEntry& entry, const FontDetails& details) {
    const DetailsCheck check = CheckDetails(details.name, details.style, doc.Fonts().CodePage());
    if (check.problem != DetailsProblem::None) return false;
    return doc.Fonts().Rename(&entry, check.name, check.style);
}

int PointSizeFromTenths(int tenths) { return std::abs(tenths) / 10; }

FontEntry* AddSingleFont(gdi::FontEngine& engine, CFontDoc& doc, const FontRequest& font, const FontDetails& details,
                         Outcome& refusal) {
    CFontRecord record;
    const bool built = BuildOne(engine, record, details.highDensity == 1, font);
    record.name = details.name;
    record.style = details.style;
    CFontList& fonts = doc.Fonts();
    if (Outcome added = AddBuiltFont(fonts, record, built, font); !added) {
        refusal = std::move(added);
        return nullptr;
    }
    return fonts.At(fonts.Count() - 1);  // a new entry comes last until the list is sorted
}

std::optional<std::vector<std::size_t>> DeleteFonts(CFontDoc& doc, const std::vector<FontEntry*>& selected,
                                                    const YesNoQuestion& ask, Outcome& refusal) {
    if (selected.empty()) {
        refusal = Outcome::Refused(converter::kStrSelectFontFirst);
        return std::nullopt;
    }
    if (!ask(converter::LoadConverterString(converter::kStrConfirmDelete))) return std::nullopt;
    std::vector<std::size_t> deleted;
    for (std::size_t i = 0; i < selected.size(); ++i)
        if (doc.Fonts().Delete(selected[i])) deleted.push_back(i);
    return deleted;
}

FontEntry* FontToEdit(CFontDoc& doc, const std::vector<FontEntry*>& selected, Outcome& refusal) {
    if (selected.empty()) {
        refusal = Outcome::Refused(converter::kStrSelectFontFirst);
        return nullptr;
    }
    CFontList& fonts = doc.Fonts();
    for (std::size_t i = 0; i < fonts.Count(); ++i)
        if (fonts.At(i) == selected.front()) return selected.front();
    return nullptr;
}

Outcome InstallDocument(const std::function<Outcome()>& saveCommand, CFontDoc& doc, PalmUserList& users,
                        win::HMODULE aide, UserChooser& chooser) {
    if (Outcome saved = saveCommand(); !saved) return saved;
    return InstallToHandheld(doc, users, aide, chooser);
}
