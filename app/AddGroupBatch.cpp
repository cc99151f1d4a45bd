// AddGroupBatch.cpp: the batch behind Add Group apart from its windows: the combinations the
// settings ask for, and the copy of a completed batch into the document's list.
#include "AddGroupBatch.h"

#include "ConverterSettings.h"
#include "core/FontList.h"

std::vector<FontStyle> CheckedStyles(const ConverterSettings& settings) {
    constexpr FontStyle kOrder[] = {FontStyle::Regular, FontStyle::Bold, FontStyle::Italic, FontStyle::BoldItalic};
    std::vector<FontStyle> styles;
    for (std::size_t i = 0; i < settings.styles.size(); ++i)
        if (settings.styles[i] != 0) styles.push_back(kOrder[i]);
    return styles;
}

std::vector<Combination> PlanFromSettings(const ConverterSettings& settings, const std::vector<FontCatalogEntry>& fonts) {
    return PlanBatch(fonts, settings.CheckedSizes(), CheckedStyles(settings));
}

FontEntry* CopyBatchInto(const CFontList& batch, CFontList& document, Outcome* refusals) {
    FontEntry* first = nullptr;
    for (std::size_t i = 0; i < batch.Count(); ++i) {
        Outcome refusal = Outcome::Stopped();
        const int index = document.AddCopy(*batch.At(i), &refusal);
        if (index < 0) {
            if (refusals) refusals->Append(refusal);
            continue;
        }
        if (!first) first = document.At(static_cast<std::size_t>(index));
    }
    return first;
}
