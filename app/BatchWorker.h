// BatchWorker.h: the conversion worker of an add-font batch and what it shares with the progress
// window. The cancel flag, the status and the failure text are guarded by one lock; after every
// status change the worker posts a notice to the window, never calling into it. A message the
// conversion must show is handed to the window's thread the same way, and the worker waits for
// its answer (or for Cancel).
#pragma once

#include "ConversionBatch.h"
#include "core/DocumentUi.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CFontList;

enum class BatchStatus { None = 0, Step = 1, Failed = 2, Finished = 3 };

struct BatchNotice {
    enum class Kind { Status, Message };
    Kind kind = Kind::Status;
    BatchStatus status = BatchStatus::None;
    std::string failure;          // with Failed: why the batch stopped
    bool failureShown = false;    // with Failed: the conversion has already shown its message
};

// The progress window as the worker sees it.
class BatchReceiver {
public:
    virtual ~BatchReceiver() = default;
    // Called on the worker's thread with the lock held: queue the notice for the window's
    // thread and return at once.
    virtual void Post(const BatchNotice& notice) = 0;
};

struct BatchMessage {
    std::string text;
    std::uint32_t type = 0;
};

class BatchWorker final : private DocumentUi {
public:
    // Converts plan into target (a list nothing else touches until the worker has ended).
    BatchWorker(gdi::FontEngine& engine, CFontList& target, std::vector<Combination> plan, bool highDensity,
                BatchReceiver& receiver);
    // Cancels and waits for a worker that still runs.
    ~BatchWorker() override;
    BatchWorker(const BatchWorker&) = delete;
    BatchWorker& operator=(const BatchWorker&) = delete;

    // Starts the worker thread; only the first call does.
    void Start();
    // Sets the cancel flag: the worker finishes the combination in hand, posts nothing more and
    // ends; a message it waits on is answered IDCANCEL without being shown.
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
    // After the worker has ended: the combinations it skipped (see BatchResult::skipped).
    std::vector<std::string> Skipped() const;

    // The window's side of a message: the one the worker waits to have shown (none when there
    // is none or Cancel came first), and the button that answered it.
    std::optional<BatchMessage> TakeMessage();
    void AnswerMessage(int buttonId);

private:
    int MessageBox(const std::string& text, std::uint32_t type) override;
    std::optional<std::string> AskSavePath(const std::string&) override { return std::nullopt; }
    void Work();
    // With the lock held.
    void PostStatus(BatchStatus status, std::string failure = {}, bool failureShown = false);

    gdi::FontEngine& engine_;
    CFontList& target_;
    const std::vector<Combination> plan_;
    const bool highDensity_;
    BatchReceiver& receiver_;

    mutable std::mutex lock_;
    std::condition_variable answered_;
    std::atomic<bool> cancel_{false};  // set under lock_; read between combinations
    BatchStatus status_ = BatchStatus::None;
    std::string failure_;
    std::vector<std::string> skipped_;
    std::optional<BatchMessage> pending_;
    bool waitingForAnswer_ = false;
    std::optional<int> answer_;

    bool started_ = false;
    std::thread thread_;
};

// The message relay of the worker whose thread this is; null on any other thread.
DocumentUi* WorkerMessageUi();

// The DocumentUi of a list a worker fills: on a worker's thread a message goes through that
// worker to the window's thread (a window must not be made on the worker's); elsewhere to ui.
class WorkerAwareUi final : public DocumentUi {
public:
    explicit WorkerAwareUi(DocumentUi& ui) : ui_(ui) {}
    int MessageBox(const std::string& text, std::uint32_t type) override;
    std::optional<std::string> AskSavePath(const std::string& proposedName) override;
    void ShowWaitCursor(bool on) override;

private:
    DocumentUi& ui_;
};

// What a failed batch shows when the conversion has not shown a message of its own: the
// failure's text, or "Unknown font error" when it has none.
std::string UnshownFailureText(const std::string& failure);

// The single-combination case on the calling thread: the same conversion as the worker's, with
// a converter error shown through ui as the worker's failure would be. True when every
// combination was converted or skipped; skipped, when given, gets those the handheld cannot take.
bool ConvertOnThisThread(gdi::FontEngine& engine, CFontList& target, const std::vector<Combination>& plan,
                         bool highDensity, DocumentUi& ui, std::vector<std::string>* skipped = nullptr);
