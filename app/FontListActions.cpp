// FontListActions.cpp: the font list view's operations on the document.
#include "FontListActions.h"

#include "core/DocumentUi.h"
#include "core/FontBuilder.h"
#include "core/FontDoc.h"
#include "platform/win/MessageBoxTypes.h"
#include "resources/converter/ConverterStrings.h"

#include <cstdlib>
#include <cstring>

FontDetails ProposedDetails(const gdi::LOGFONT& font, int pointSize) {
    FontDetails details;
    details.name.assign(font.lfFaceName, strnlen(font.lfFaceName, gdi::LF_FACESIZE));
    details.style = StyleCodeOf(font);
    details.size = std::to_string(pointSize);
    return details;
}

DetailsProblem CheckDetails(const std::string& name, const std::string& style) {
    if (name.size() > CFontList::kMaxNameLength) return DetailsProblem::NameTooLong;
    if (style.size() > CFontList::kMaxStyleLength) return DetailsProblem::StyleTooLong;
    return DetailsProblem::None;
}

int PointSizeFromTenths(int tenths) { return std::abs(tenths) / 10; }

FontEntry* AddSingleFont(gdi::FontEngine& engine, CFontDoc& doc, const gdi::LOGFONT& font, int pointSize,
                         const FontDetails& details, DocumentUi& ui) {
    CFontRecord record;
    const bool built = BuildOne(engine, record, details.highDensity == 1, pointSize, font);
    record.name = details.name;
    record.style = details.style;
    CFontList& fonts = doc.Fonts();
    if (!AddBuiltFont(fonts, record, built, pointSize, font, ui)) return nullptr;
    return fonts.At(fonts.Count() - 1);  // a new entry comes last until the list is sorted
}

std::optional<std::vector<std::size_t>> DeleteFonts(CFontDoc& doc, const std::vector<FontEntry*>& selected,
                                                    DocumentUi& ui) {
    if (selected.empty()) {
        ui.MessageBox(converter::LoadConverterString(converter::kStrSelectFontFirst), win::MB_OK);
        return std::nullopt;
    }
    if (ui.MessageBox(converter::LoadConverterString(converter::kStrConfirmDelete), win::MB_YESNO) != win::IDYES)
        return std::nullopt;
    std::vector<std::size_t> deleted;
    for (std::size_t i = 0; i < selected.size(); ++i)
        if (doc.Fonts().Delete(selected[i])) deleted.push_back(i);
    return deleted;
}

FontEntry* FontToEdit(CFontDoc& doc, const std::vector<FontEntry*>& selected, DocumentUi& ui) {
    if (selected.empty()) {
        ui.MessageBox(converter::LoadConverterString(converter::kStrSelectFontFirst), win::MB_OK);
        return nullptr;
    }
    CFontList& fonts = doc.Fonts();
    for (std::size_t i = 0; i < fonts.Count(); ++i)
        if (fonts.At(i) == selected.front()) return selected.front();
    return nullptr;
}

bool InstallDocument(const std::function<bool()>& saveCommand, CFontDoc& doc, const PalmUserList& users,
                     win::HMODULE aide, UserChooser& chooser, DocumentUi& ui) {
    if (!saveCommand()) return false;
    return InstallToHandheld(doc, users, aide, chooser, ui);
}
