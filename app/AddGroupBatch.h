// AddGroupBatch.h: the batch behind Add Group apart from its windows: the combinations the
// settings ask for, and the copy of a completed batch into the document's list.
#pragma once

#include "ConversionBatch.h"

#include <vector>

class CFontList;
class ConverterSettings;
struct FontEntry;

// The checked styles in the order Regular, Bold, Italic, Bold Italic.
std::vector<FontStyle> CheckedStyles(const ConverterSettings& settings);

// Every combination of fonts (in selection order), the checked sizes (in list order) and the
// checked styles.
std::vector<Combination> PlanFromSettings(const ConverterSettings& settings, const std::vector<FontCatalogEntry>& fonts);

// Adds a copy of every entry of batch, in order, to document; entries that cannot be added are
// skipped, their messages (a full document says so for each) appended to refusals when given.
// The first entry added, or null.
FontEntry* CopyBatchInto(const CFontList& batch, CFontList& document, Outcome* refusals = nullptr);
