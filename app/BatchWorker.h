// BatchWorker.h: the conversion worker of an add-font batch and what it shares with the progress
// window. The cancel flag, the status and the result are guarded by one lock; after every status
// change the worker posts a notice to the window, never calling into it. The worker shows
// nothing: what the batch came to, messages included, it leaves in its result for the window to
// show once the batch has ended.
#pragma once

#include "ConversionBatch.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CFontList;

enum class BatchStatus { None = 0, Step = 1, Failed = 2, Finished = 3 };

struct BatchNotice {
    BatchStatus status = BatchStatus::None;
    std::string failure;  // with Failed: why the batch stopped
};

// The progress window as the worker sees it.
class BatchReceiver {
public:
    virtual ~BatchReceiver() = default;
    // Called on the worker's thread with the lock held: queue the notice for the window's
    // thread and return at once.
    virtual void Post(const BatchNotice& notice) = 0;
};

// The thread that runs one batch and reports on it. It converts the plan itself; the loop it
// runs is the one a pool of builders would feed, so that it can coordinate one.
class BatchWorker final {
public:
    // Converts plan into target (a list nothing else touches until the worker has ended). With
    // threads above 1 the worker coordinates a pool that builds the fonts (engine's fonts must
    // then be usable on several threads at once) and adds them in plan order itself, so the list,
    // the notices and the outcome are those of one thread.
    BatchWorker(gdi::FontEngine& engine, CFontList& target, std::vector<Combination> plan, bool highDensity,
                BatchReceiver& receiver, unsigned threads = 1);
    // Cancels and waits for a worker that still runs.
    ~BatchWorker();
    BatchWorker(const BatchWorker&) = delete;
    BatchWorker& operator=(const BatchWorker&) = delete;

    // Starts the worker thread; only the first call does.
    void Start();
    // Sets the cancel flag: the worker finishes the combinations in hand (one per thread), adds
    // none of them, posts nothing more and ends.
    void RequestCancel();
    // Waits, without a time limit, for the worker to end.
    void Wait();
    void Cancel() {
        RequestCancel();
        Wait();
    }

    bool Started() const { return started_; }
    bool CancelRequested() const { return cancel_.load(); }
    std::size_t Total() const { return plan_.size(); }
    BatchStatus Status() const;
    std::string FailureText() const;
    // After the worker has ended: what the batch came to (see BatchResult).
    BatchResult Result() const;

private:
    void Work();
    // With the lock held.
    void PostStatus(BatchStatus status, std::string failure = {});

    gdi::FontEngine& engine_;
    CFontList& target_;
    const std::vector<Combination> plan_;
    const bool highDensity_;
    const unsigned threads_;
    BatchReceiver& receiver_;

    mutable std::mutex lock_;
    std::atomic<bool> cancel_{false};  // set under lock_; read between combinations
    BatchStatus status_ = BatchStatus::None;
    BatchResult result_;

    bool started_ = false;
    std::thread thread_;
};

// The single-combination case on the calling thread: the same conversion as the worker's. Done
// when every combination was converted or skipped, else refused with what to show; skipped, when
// given, gets those the handheld cannot take.
Outcome ConvertOnThisThread(gdi::FontEngine& engine, CFontList& target, const std::vector<Combination>& plan,
                            bool highDensity, std::vector<std::string>* skipped = nullptr);
