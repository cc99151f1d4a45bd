// Tests of the conversion worker and its protocol with the progress window, driven by a fake
// window on the test's thread; run under ThreadSanitizer (the suite's name contains "Thread").
#include "app/BatchWorker.h"

#include "GatedFontEngine.h"
#include "core/FontList.h"
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/PalmDb.h"
#include "support/CraftedDatabases.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>

namespace {
// The progress window's message queue: the worker posts, the test's thread takes.
class QueueReceiver final : public BatchReceiver {
public:
    void Post(const BatchNotice& notice) override {
        std::lock_guard lock(mutex_);
        queue_.push_back(notice);
        posted_.notify_all();
    }
    // The next notice; none after a minute without one.
    std::optional<BatchNotice> Next() {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, std::chrono::minutes(1), [this] { return !queue_.empty(); })) return std::nullopt;
        BatchNotice notice = queue_.front();
        queue_.pop_front();
        return notice;
    }
    std::size_t Waiting() {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<BatchNotice> queue_;
};

// What the window saw, in order: "step", "failed", "finished", then "message:<text>" for each
// message of the batch's outcome, shown once the worker has ended.
struct Seen {
    std::vector<std::string> events;
    int steps = 0;
};

// The window's side: counts steps until the batch ends, then shows the outcome's messages.
Seen runWindow(BatchWorker& worker, QueueReceiver& receiver) {
    Seen seen;
    while (const auto notice = receiver.Next()) {
        if (notice->status == BatchStatus::Step) {
            seen.events.push_back("step");
            ++seen.steps;
        } else if (notice->status == BatchStatus::Failed) {
            seen.events.push_back("failed");
            break;
        } else if (notice->status == BatchStatus::Finished) {
            seen.events.push_back("finished");
            break;
        }
    }
    worker.Wait();
    const BatchResult result = worker.Result();
    for (const auto& message : result.outcome.Messages()) seen.events.push_back("message:" + message.Text());
    return seen;
}

std::vector<Combination> planOf(std::initializer_list<int> sizes, std::size_t fonts = 1) {
    std::vector<Combination> plan;
    for (std::size_t f = 0; f < fonts; ++f)
        for (const int size : sizes)
            plan.push_back({{"Face" + std::to_string(f), "Western", 0, 0}, size, FontStyle::Regular});
    return plan;
}

struct Fixture {
    Fixture() {
        engine.inner.face.metrics[9] = scriptedMetrics(9, 7, 'A', 'C');
        engine.inner.face.metrics[12] = scriptedMetrics(12, 9, 'A', 'C');
        EXPECT_TRUE(batch.New());
    }
    GatedFontEngine engine;
    CFontList batch;
    QueueReceiver receiver;
};
}  // namespace

TEST(BatchWorkerThread, PostsEveryStepInOrderThenFinished) {
    Fixture f;
    BatchWorker worker(f.engine, f.batch, planOf({9, 12}, 2), false, f.receiver);
    worker.Start();
    worker.Start();  // a second activation starts nothing
    const Seen seen = runWindow(worker, f.receiver);
    EXPECT_EQ(seen.events, (std::vector<std::string>{"step", "step", "step", "step", "finished"}));
    EXPECT_EQ(worker.Status(), BatchStatus::Finished);
    ASSERT_EQ(f.batch.Count(), 4u);
    EXPECT_EQ(f.batch.At(3)->name, "Face1");
    EXPECT_EQ(f.batch.At(3)->size, 12);
}

TEST(BatchWorkerThread, CancelFinishesTheFontInHandAndPostsNothingMore) {
    Fixture f;
    f.engine.gateAt = 1;  // the second of three combinations
    BatchWorker worker(f.engine, f.batch, planOf({9, 12, 9}), false, f.receiver);
    worker.Start();
    ASSERT_TRUE(f.engine.WaitUntilEntered());
    worker.RequestCancel();
    f.engine.Open();
    worker.Wait();
    EXPECT_TRUE(worker.CancelRequested());
    // Only the first combination's step was posted; the one in hand was finished (and is the
    // caller's to discard), the third never started.
    ASSERT_EQ(f.receiver.Waiting(), 1u);
    EXPECT_EQ(f.receiver.Next()->status, BatchStatus::Step);
    EXPECT_EQ(f.batch.Count(), 2u);
    EXPECT_EQ(f.engine.inner.created.size(), 2u);
    EXPECT_NE(worker.Status(), BatchStatus::Finished);
}

TEST(BatchWorkerThread, FailureEndsTheBatchAndItsOutcomeHoldsTheMessageOnce) {
    Fixture f;
    // Size 10 has no font: the second combination fails, the third is never tried.
    BatchWorker worker(f.engine, f.batch, planOf({9, 10, 12}), false, f.receiver);
    worker.Start();
    const Seen seen = runWindow(worker, f.receiver);
    EXPECT_EQ(seen.events, (std::vector<std::string>{"step", "failed", "message:Unknown font error"}));
    EXPECT_EQ(worker.Status(), BatchStatus::Failed);
    EXPECT_FALSE(worker.FailureText().empty());
    EXPECT_EQ(f.receiver.Waiting(), 0u);
    EXPECT_EQ(f.batch.Count(), 1u);
}

TEST(BatchWorkerThread, CancelDuringAFailingFontPostsAndShowsNothing) {
    Fixture f;
    f.engine.gateAt = 0;  // size 10 has no font: the first combination fails
    BatchWorker worker(f.engine, f.batch, planOf({10, 9}), false, f.receiver);
    worker.Start();
    ASSERT_TRUE(f.engine.WaitUntilEntered());
    worker.RequestCancel();
    f.engine.Open();
    worker.Wait();
    EXPECT_EQ(f.receiver.Waiting(), 0u);
    EXPECT_EQ(f.batch.Count(), 0u);
}

TEST(BatchWorkerThread, ConverterErrorEndsTheBatchWithItsText) {
    Fixture f;
    f.engine.throwAt = 1;
    BatchWorker worker(f.engine, f.batch, planOf({9, 12}), false, f.receiver);
    worker.Start();
    const Seen seen = runWindow(worker, f.receiver);
    // The window shows the error's text itself.
    EXPECT_EQ(seen.events, (std::vector<std::string>{"step", "failed", "message:Font file damaged"}));
}

TEST(BatchWorkerThread, DestroyingARunningWorkerCancelsAndWaits) {
    Fixture f;
    f.engine.gateAt = 0;
    std::thread opener;
    {
        BatchWorker worker(f.engine, f.batch, planOf({9, 12, 9, 12}), false, f.receiver);
        worker.Start();
        ASSERT_TRUE(f.engine.WaitUntilEntered());
        // Lets the font in hand finish a moment after the destructor has begun to wait.
        opener = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            f.engine.Open();
        });
    }
    opener.join();
    // The worker has ended before the list and the receiver go.
    EXPECT_GE(f.batch.Count(), 1u);
    EXPECT_LT(f.batch.Count(), 4u);
}

TEST(BatchWorkerThread, AFullTargetListEndsTheBatchWithBothMessagesForTheWindow) {
    Fixture f;
    for (std::uint32_t id = 1; id <= qz_gen::CPalmDb::kMaxRecords; ++id) {
        qz_gen::CDbRecord record = deletedRecordWithID(id);
        ASSERT_EQ(f.batch.Database()->AddRecord(record), qz_gen::kDbOk);
    }
    BatchWorker worker(f.engine, f.batch, planOf({9, 12}), false, f.receiver);
    worker.Start();
    const Seen seen = runWindow(worker, f.receiver);
    EXPECT_EQ(seen.events,
              (std::vector<std::string>{"failed",
                                        "message:A Typehold file holds at most 65,535 records; no more fonts can be added.",
                                        "message:Unknown font error"}));
    EXPECT_EQ(f.batch.Count(), 0u);
}
