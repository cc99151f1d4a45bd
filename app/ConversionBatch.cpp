// ConversionBatch.cpp: planning an add-font batch and converting it, on the calling thread or on a
// pool of threads.
#include "ConversionBatch.h"

#include "core/qz_fileio/AllocationFaults.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace {
// Why a combination failed; a build that ran out of memory leaves no reason of its own.
std::string failureOf(const std::string& why) { return why.empty() ? "Out of memory" : why; }
}  // namespace

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

FontRequest RequestFor(const Combination& c) {
    const bool bold = c.style == FontStyle::Bold || c.style == FontStyle::BoldItalic;
    const bool italic = c.style == FontStyle::Italic || c.style == FontStyle::BoldItalic;
    return {c.font.faceName, c.font.charSet, c.font.pitchAndFamily, c.size, bold ? gdi::FW_BOLD : gdi::FW_NORMAL, italic};
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

std::string SkippedText(const std::vector<std::string>& skipped, std::size_t added) {
    std::string text = added > 0 ? "The other fonts were added. These cannot be used on a handheld and were skipped:\n"
                                 : "No font was added. These cannot be used on a handheld:\n";
    for (const auto& line : skipped) text += "\n" + line;
    return text;
}

namespace {
// The strikes of the plan's builds, drawn once where two of them draw the same.
StrikeCache strikesFor(const std::vector<Combination>& plan, bool highDensity) {
    std::vector<FontRequest> requests;
    requests.reserve(plan.size());
    for (const auto& combination : plan) requests.push_back(RequestFor(combination));
    return StrikeCache(requests, highDensity);
}

// Adds one built combination to result's list; false when the batch must stop.
bool addToBatch(CFontList& list, CFontRecord& record, bool built, std::string why, const FontRequest& request,
                BatchResult& result) {
    switch (AddBuiltFontOrRefuse(list, record, built, request, &why, &result.outcome)) {
    case AddOutcome::Added: ++result.converted; return true;
    case AddOutcome::Refused: result.skipped.push_back(why); return true;
    case AddOutcome::Failed: result.failure = failureOf(why); return false;
    }
    return false;
}
}  // namespace

BatchResult RunBatch(gdi::FontEngine& engine, CFontList& list, const std::vector<Combination>& plan,
                     bool highDensity, const std::atomic<bool>* cancel,
                     const std::function<void(std::size_t, std::size_t)>& progress) {
    BatchResult result;
    StrikeCache strikes = strikesFor(plan, highDensity);
    for (const auto& combination : plan) {
        if (cancel && cancel->load()) {
            result.cancelled = true;
            result.outcome = Outcome::Stopped();
            return result;
        }
        const FontRequest request = RequestFor(combination);
        CFontRecord record;
        std::string why;
        const bool built = BuildOne(engine, record, highDensity, request, &why, &strikes);
        if (!addToBatch(list, record, built, why, request, result)) return result;
        if (progress) progress(result.Done(), plan.size());
    }
    result.completed = true;
    return result;
}

unsigned DefaultBatchThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

namespace {
// One combination as a worker left it.
struct BuiltFont {
    FontRequest request;  // what it was built from, and what its messages name
    CFontRecord record;
    bool built = false;
    std::string why;
};

// The combinations handed out to the workers and the fonts they built, kept until the calling
// thread takes them in plan order. Workers run at most window combinations ahead of it, so a
// long batch holds only a few records at a time.
class BuildQueue {
public:
    BuildQueue(std::size_t total, std::size_t window, const std::atomic<bool>* cancel)
        : slots_(total), put_(total, false), window_(window), cancel_(cancel) {}

    // The next combination to build; none once the batch has stopped (or been cancelled) or
    // every one is taken. A combination handed out is always built and put back.
    std::optional<std::size_t> Take() {
        std::unique_lock lock(mutex_);
        space_.wait(lock, [&] { return stopped_ || next_ >= slots_.size() || next_ < consumed_ + window_; });
        if (cancel_ && cancel_->load()) stopped_ = true;
        if (stopped_ || next_ >= slots_.size()) {
            lock.unlock();
            ready_.notify_all();
            return std::nullopt;
        }
        return next_++;
    }
    // font is null when there was no memory to build it in.
    void Put(std::size_t index, std::unique_ptr<BuiltFont> font) {
        {
            std::lock_guard lock(mutex_);
            slots_[index] = std::move(font);
            put_[index] = true;
        }
        ready_.notify_all();
    }
    // The font of combination index (null when it could not be allocated), waiting until it is
    // built; none when the batch stopped before any worker took it.
    std::optional<std::unique_ptr<BuiltFont>> Wait(std::size_t index) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return put_[index] || (stopped_ && index >= next_); });
        if (!put_[index]) return std::nullopt;
        auto font = std::move(slots_[index]);
        consumed_ = index + 1;
        lock.unlock();
        space_.notify_all();
        return font;
    }
    // No further combination is handed out; those being built are finished and dropped.
    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        space_.notify_all();
        ready_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_, space_;
    std::vector<std::unique_ptr<BuiltFont>> slots_;
    std::vector<bool> put_;
    std::size_t window_;
    const std::atomic<bool>* cancel_;
    std::size_t next_ = 0;
    std::size_t consumed_ = 0;
    bool stopped_ = false;
};
}  // namespace

BatchResult RunBatchOnThreads(gdi::FontEngine& engine, CFontList& list, const std::vector<Combination>& plan,
                              bool highDensity, unsigned threads, const std::atomic<bool>* cancel,
                              const std::function<void(std::size_t, std::size_t)>& progress) {
    if (threads <= 1 || plan.size() <= 1) return RunBatch(engine, list, plan, highDensity, cancel, progress);
    const std::size_t workerCount = std::min<std::size_t>(threads, plan.size());
    BuildQueue queue(plan.size(), 2 * workerCount, cancel);
    StrikeCache strikes = strikesFor(plan, highDensity);
    const auto work = [&] {
        while (const auto index = queue.Take()) {
            // Running out of memory ends this combination, never the process: a font that could
            // not even be allocated goes back empty and ends the batch as out of memory.
            std::unique_ptr<BuiltFont> font;
            try {
                qz_gen::AllocationPoint();
                font = std::make_unique<BuiltFont>();
                font->request = RequestFor(plan[*index]);
                font->built = BuildOne(engine, font->record, highDensity, font->request, &font->why, &strikes);
            } catch (const std::bad_alloc&) {
                if (font) {
                    font->built = false;
                    font->why.clear();  // reported as running out of memory
                }
            }
            queue.Put(*index, std::move(font));
        }
    };
    std::vector<std::jthread> workers;
    workers.reserve(workerCount);
    try {
        for (std::size_t i = 0; i < workerCount; ++i) workers.emplace_back(work);
    } catch (...) {
        queue.Stop();  // lets the workers already started end, so that they can be joined
        throw;
    }
    // Declared after the workers, so it stops the queue before they are joined on every way out.
    struct StopOnExit {
        BuildQueue& queue;
        ~StopOnExit() { queue.Stop(); }
    } stopOnExit{queue};

    // The calling thread adds the fonts in plan order, as RunBatch does, so the list, the messages
    // and the progress come out the same.
    BatchResult result;
    for (std::size_t index = 0; index < plan.size(); ++index) {
        if (cancel && cancel->load()) {
            result.cancelled = true;
            break;
        }
        const auto font = queue.Wait(index);
        if (!font) {
            result.cancelled = true;
            break;
        }
        if (!*font) {  // the worker had no memory to build it in
            result.failure = failureOf({});
            result.outcome = Outcome::Refused(result.failure);
            break;
        }
        BuiltFont& built = **font;
        if (!addToBatch(list, built.record, built.built, built.why, built.request, result))
            break;
        if (progress) progress(result.Done(), plan.size());
    }
    // Fonts still in flight are finished and dropped when the workers are joined on return.
    result.completed = result.failure.empty() && !result.cancelled && result.Done() == plan.size();
    if (result.cancelled) result.outcome = Outcome::Stopped();
    return result;
}
