// ConversionBatch.h: the combinations of an add-font batch (font x size x style) in the order
// they are converted, the fonts they ask for, and the loop that converts them with a cancel
// flag and a progress report. Plain logic: the GUI runs it on its worker thread, the command line
// runs it directly.
#pragma once

#include "FontCatalog.h"
#include "core/FontBuilder.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CFontList;

enum class FontStyle { Regular, Bold, Italic, BoldItalic };

struct Combination {
    FontCatalogEntry font;
    int size = 0;
    FontStyle style = FontStyle::Regular;
};

// Every combination: for each font in order, each size in order, each style in the order
// Regular, Bold, Italic, Bold Italic (styles given in any order are taken in that one).
std::vector<Combination> PlanBatch(const std::vector<FontCatalogEntry>& fonts, const std::vector<int>& sizes,
                                   const std::vector<FontStyle>& styles);

// The font a combination asks for: face, character set and pitch and family from the catalog
// entry, its point size, weight 400 or 700, italic for the italic styles.
FontRequest RequestFor(const Combination& combination);

const char* StyleName(FontStyle style);

struct BatchResult {
    bool completed = false;     // every combination converted or skipped
    bool cancelled = false;
    std::size_t converted = 0;
    std::string failure;        // why the batch stopped, when it failed
    // What the batch came to as the user is told: done, stopped (cancelled) without a word, or
    // refused with the messages of the failure.
    Outcome outcome = Outcome::Done();
    // The combinations the handheld cannot take (too large, a name its code page cannot hold),
    // one line each naming the font, style, size and cause; the batch went on past them.
    std::vector<std::string> skipped;
    std::size_t Done() const { return converted + skipped.size(); }
};

// Converts the plan into list (a temporary list after New). cancel is read before each
// combination; progress(done, total) follows each combination added or skipped. A combination
// the handheld cannot take is skipped (see BatchResult::skipped); the batch stops at any other
// failure, whose messages go to BatchResult::outcome.
BatchResult RunBatch(gdi::FontEngine& engine, CFontList& list, const std::vector<Combination>& plan,
                     bool highDensity, const std::atomic<bool>* cancel = nullptr,
                     const std::function<void(std::size_t, std::size_t)>& progress = {});

// The one message that names the skipped combinations of a batch that added added fonts.
std::string SkippedText(const std::vector<std::string>& skipped, std::size_t added);

// The threads RunBatchOnThreads uses unless told otherwise: one per core.
unsigned DefaultBatchThreads();

// RunBatch with the fonts built on a pool of threads (fonts of engine must be usable on several
// threads at once; each thread draws with fonts of its own). The calling thread adds the built
// fonts to list in plan order, so the list, the outcome and the progress reports are exactly
// RunBatch's. cancel is read before each font is added and by the workers before each
// build; fonts in flight when it is set are finished and dropped, and nothing more is added.
// threads 0 or 1 is RunBatch itself.
BatchResult RunBatchOnThreads(gdi::FontEngine& engine, CFontList& list, const std::vector<Combination>& plan,
                              bool highDensity, unsigned threads, const std::atomic<bool>* cancel = nullptr,
                              const std::function<void(std::size_t, std::size_t)>& progress = {});
