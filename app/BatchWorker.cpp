// BatchWorker.cpp: the conversion worker of an add-font batch and what it shares with the progress
// window.
#include "BatchWorker.h"

#include "core/qz_fileio/Exception.h"
#include "platform/win/MessageBoxTypes.h"
#include "resources/converter/ConverterStrings.h"

#include <memory>

namespace {
thread_local DocumentUi* t_workerUi = nullptr;

// Runs the batch; a converter error or any other exception ends it as a failure whose text
// nobody has shown yet.
BatchResult RunCatching(gdi::FontEngine& engine, CFontList& target, const std::vector<Combination>& plan,
                        bool highDensity, DocumentUi& ui, const std::atomic<bool>* cancel,
                        const std::function<void(std::size_t, std::size_t)>& progress, bool& failureShown) {
    failureShown = true;
    try {
        return RunBatch(engine, target, plan, highDensity, ui, cancel, progress);
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        failureShown = false;
        BatchResult result;
        result.failure = e->MessageToShow();
        return result;
    } catch (...) {
        failureShown = false;
        return BatchResult{};
    }
}
}  // namespace

BatchWorker::BatchWorker(gdi::FontEngine& engine, CFontList& target, std::vector<Combination> plan, bool highDensity,
                         BatchReceiver& receiver)
    : engine_(engine), target_(target), plan_(std::move(plan)), highDensity_(highDensity), receiver_(receiver) {}

BatchWorker::~BatchWorker() { Cancel(); }

void BatchWorker::Start() {
    if (started_) return;
    started_ = true;
    thread_ = std::thread([this] { Work(); });
}

void BatchWorker::RequestCancel() {
    std::lock_guard lock(lock_);
    cancel_ = true;
    answered_.notify_all();
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
    return failure_;
}

std::vector<std::string> BatchWorker::Skipped() const {
    std::lock_guard lock(lock_);
    return skipped_;
}

void BatchWorker::PostStatus(BatchStatus status, std::string failure, bool failureShown) {
    status_ = status;
    failure_ = failure;
    receiver_.Post({BatchNotice::Kind::Status, status, std::move(failure), failureShown});
}

void BatchWorker::Work() {
    t_workerUi = this;
    const auto stepped = [this](std::size_t, std::size_t) {
        std::lock_guard lock(lock_);
        if (!cancel_) PostStatus(BatchStatus::Step);
    };
    bool failureShown = true;
    const BatchResult result =
        RunCatching(engine_, target_, plan_, highDensity_, *this, &cancel_, stepped, failureShown);
    std::lock_guard lock(lock_);
    skipped_ = result.skipped;
    // A cancelled batch ends without another word: the window has stopped listening.
    if (cancel_) return;
    if (result.completed) PostStatus(BatchStatus::Finished);
    else PostStatus(BatchStatus::Failed, result.failure, failureShown);
}

int BatchWorker::MessageBox(const std::string& text, std::uint32_t type) {
    std::unique_lock lock(lock_);
    if (cancel_) return win::IDCANCEL;
    pending_ = BatchMessage{text, type};
    waitingForAnswer_ = true;
    answer_.reset();
    receiver_.Post({BatchNotice::Kind::Message, status_, {}, false});
    answered_.wait(lock, [this] { return answer_.has_value() || cancel_.load(); });
    waitingForAnswer_ = false;
    pending_.reset();
    const int answer = answer_.value_or(win::IDCANCEL);
    answer_.reset();
    return answer;
}

std::optional<BatchMessage> BatchWorker::TakeMessage() {
    std::lock_guard lock(lock_);
    if (cancel_ || !pending_) return std::nullopt;
    std::optional<BatchMessage> message = std::move(pending_);
    pending_.reset();
    return message;
}

void BatchWorker::AnswerMessage(int buttonId) {
    std::lock_guard lock(lock_);
    if (!waitingForAnswer_) return;
    answer_ = buttonId;
    answered_.notify_all();
}

DocumentUi* WorkerMessageUi() { return t_workerUi; }

int WorkerAwareUi::MessageBox(const std::string& text, std::uint32_t type) {
    if (DocumentUi* worker = WorkerMessageUi()) return worker->MessageBox(text, type);
    return ui_.MessageBox(text, type);
}

std::optional<std::string> WorkerAwareUi::AskSavePath(const std::string& proposedName) {
    if (WorkerMessageUi()) return std::nullopt;
    return ui_.AskSavePath(proposedName);
}

void WorkerAwareUi::ShowWaitCursor(bool on) {
    if (!WorkerMessageUi()) ui_.ShowWaitCursor(on);
}

std::string UnshownFailureText(const std::string& failure) {
    return failure.empty() ? converter::LoadConverterString(converter::kStrUnknownFontError) : failure;
}

bool ConvertOnThisThread(gdi::FontEngine& engine, CFontList& target, const std::vector<Combination>& plan,
                         bool highDensity, DocumentUi& ui, std::vector<std::string>* skipped) {
    bool failureShown = true;
    const BatchResult result = RunCatching(engine, target, plan, highDensity, ui, nullptr, {}, failureShown);
    if (skipped) *skipped = result.skipped;
    if (result.completed) return true;
    if (!failureShown) ui.MessageBox(UnshownFailureText(result.failure), win::MB_OK);
    return false;
}
