// FontListActions.cpp: the font list view's operations on the document.
#include "FontListActions.h"

#include "core/DocumentUi.h"
#include "core/FontBuilder.h"
#include "core/FontDoc.h"
#include "platform/win/MessageBoxTypes.h"
#include "resources/converter/ConverterStrings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

FontDetails ProposedDetails(const gdi::LOGFONT& font, int pointSize) {
    FontDetails details;
    details.name.assign(font.lfFaceName, strnlen(font.lfFaceName, gdi::LF_FACESIZE));
    if (font.lfWeight > gdi::FW_NORMAL) details.style += "B";
    if (font.lfItalic != 0) details.style += "I";
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
    std::string why;
    const bool built = details.highDensity == 1 ? BuildHighDensity(engine, record, pointSize, font, &why)
                                                : BuildLowDensity(engine, record, pointSize, font, &why);
    int index = -1;
    if (built) {
        record.name = details.name;
        record.style = details.style;
        if (FitsHandheldRecord(record, &why)) index = doc.Fonts().AddConverted(record);
    }
    if (index < 0) {
        ui.MessageBox(why.empty() ? converter::LoadConverterString(converter::kStrUnknownFontError) : why,
                      win::MB_OK);
        return nullptr;
    }
    return doc.Fonts().At(static_cast<std::size_t>(index));
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
