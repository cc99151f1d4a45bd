// ConversionBatch.cpp
#include "ConversionBatch.h"

#include <algorithm>

std::vector<Combination> PlanBatch(const std::vector<FontCatalogEntry>& fonts, const std::vector<int>& sizes,
                                   const std::vector<FontStyle>& styles) {
    std::vector<FontStyle> ordered;
    for (const auto s : {FontStyle::Regular, FontStyle::Bold, FontStyle::Italic, FontStyle::BoldItalic})
        if (std::find(styles.begin(), styles.end(), s) != styles.end()) ordered.push_back(s);
    std::vector<Combination> plan;
    for (const auto& font : fonts)
        for (const int size : sizes)
            for (const auto style : ordered) plan.push_back({font, size, style});
    return plan;
}

gdi::LOGFONT DescribeCombination(const Combination& c) {
    const bool bold = c.style == FontStyle::Bold || c.style == FontStyle::BoldItalic;
    const bool italic = c.style == FontStyle::Italic || c.style == FontStyle::BoldItalic;
    return gdi::makeLogFont(c.font.faceName, c.size, bold ? gdi::FW_BOLD : gdi::FW_NORMAL, italic, c.font.charSet,
                            c.font.pitchAndFamily);
}

const char* StyleName(FontStyle style) {
    switch (style) {
    case FontStyle::Regular: return "Regular";
    case FontStyle::Bold: return "Bold";
    case FontStyle::Italic: return "Italic";
    case FontStyle::BoldItalic: return "Bold Italic";
    }
    return "";
}

BatchResult RunBatch(gdi::FontEngine& engine, CFontList& list, const std::vector<Combination>& plan,
                     bool highDensity, DocumentUi& ui, const std::atomic<bool>* cancel,
                     const std::function<void(std::size_t, std::size_t)>& progress) {
    BatchResult result;
    for (const auto& combination : plan) {
        if (cancel && cancel->load()) {
            result.cancelled = true;
            return result;
        }
        BuildFailure why;
        if (!ConvertOne(engine, list, highDensity, combination.size, DescribeCombination(combination), ui, &why)) {
            result.failure = why.reason.empty() ? "Out of memory" : why.reason;
            return result;
        }
        ++result.converted;
        if (progress) progress(result.converted, plan.size());
    }
    result.completed = true;
    return result;
}
