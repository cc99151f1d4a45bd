// BatchWorker.cpp: the conversion worker of an add-font batch and what it shares with the progress
// window.
#include "BatchWorker.h"

#include "core/qz_fileio/Exception.h"
#include "resources/converter/ConverterStrings.h"

#include <memory>

namespace {
// Runs the batch; a converter error or any other exception ends it as a failure that shows its
// text ("Unknown font error" when it has none).
BatchResult RunCatching(gdi::FontEngine& engine, CFontList& target, const std::vector<Combination>& plan,
                        bool highDensity, unsigned threads, const std::atomic<bool>* cancel,
                        const std::function<void(std::size_t, std::size_t)>& progress) {
    BatchResult result;
    try {
        return RunBatchOnThreads(engine, target, plan, highDensity, threads, cancel, progress);
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        result.failure = e->MessageToShow();
    } catch (...) {
    }
    result.outcome = result.failure.empty() ? Outcome::Refused(converter::kStrUnknownFontError)
                                            : Outcome::Refused(result.failure);
    return result;
}
}  // namespace

BatchWorker::BatchWorker(gdi::FontEngine& engine, CFontList& target, std::vector<Combination> plan, bool highDensity,
                         BatchReceiver& receiver, unsigned threads)
    : engine_(engine),
      target_(target),
      plan_(std::move(plan)),
      highDensity_(highDensity),
      threads_(threads),
      receiver_(receiver) {}

BatchWorker::~BatchWorker() { Cancel(); }

void BatchWorker::Start() {
    if (started_) return;
    started_ = true;
    thread_ = std::thread([this] { Work(); });
}

void BatchWorker::RequestCancel() {
    std::lock_guard lock(lock_);
    cancel_ = true;
}

void BatchWorker::Wait() {
    if (thread_.joinable()) thread_.join();
}

BatchStatus BatchWorker::Status() const {
    std::lock_guard lock(lock_);
    return status_;
}

std::string BatchWorker::FailureText() const {
    std::lock_guard lock(lock_);
    return result_.failure;
}

BatchResult BatchWorker::Result() const {
    std::lock_guard lock(lock_);
    return result_;
}

void BatchWorker::PostStatus(BatchStatus status, std::string failure) {
    status_ = status;
    receiver_.Post({status, std::move(failure)});
}

void BatchWorker::Work() {
    const auto stepped = [this](std::size_t, std::size_t) {
        std::lock_guard lock(lock_);
        if (!cancel_) PostStatus(BatchStatus::Step);
    };
    BatchResult result = RunCatching(engine_, target_, plan_, highDensity_, threads_, &cancel_, stepped);
    std::lock_guard lock(lock_);
    result_ = std::move(result);
    // A cancelled batch ends without another word: the window has stopped listening.
    if (cancel_) return;
    if (result_.completed) PostStatus(BatchStatus::Finished);
    else PostStatus(BatchStatus::Failed, result_.failure);
}

Outcome ConvertOnThisThread(gdi::FontEngine& engine, CFontList& target, const std::vector<Combination>& plan,
                            bool highDensity, std::vector<std::string>* skipped) {
    BatchResult result = RunCatching(engine, target, plan, highDensity, 1, nullptr, {});
    if (skipped) *skipped = result.skipped;
    return std::move(result.outcome);
}
