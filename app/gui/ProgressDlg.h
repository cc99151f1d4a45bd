// ProgressDlg.h: the progress dialog of an add-font batch (dialog 214): "Processing the selected
// fonts ...", a progress bar and Cancel, in front of the conversion worker. It ends with OK when
// every combination was converted and with Cancel when the batch failed or was cancelled.
#pragma once

#include "app/BatchWorker.h"

#include <QDialog>

class QProgressBar;
class QPushButton;

class ProgressDlg final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 214;
    static constexpr int IDC_PROGRESS = 1013;
    // How long the finished bar stays up before the dialog ends.
    static constexpr int kEndDelayMs = 500;

    // The worker converts plan into target, building on threads threads; the dialog starts it
    // when first shown.
    ProgressDlg(gdi::FontEngine& engine, CFontList& target, std::vector<Combination> plan, bool highDensity,
                QWidget* owner, unsigned threads = 1);
    ~ProgressDlg() override;

    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }
    // After the dialog has ended: what the batch came to.
    const BatchWorker& Worker() const { return worker_; }

public slots:
    // Cancel, Escape and the window manager's close: stops the worker after the combination in
    // hand and waits for it; the batch is discarded.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class Poster final : public BatchReceiver {
    public:
        explicit Poster(ProgressDlg* target) : target_(target) {}
        void Post(const BatchNotice& notice) override;

    private:
        ProgressDlg* target_;
    };

    // A notice of the worker, on the dialog's thread.
    void Notice(const BatchNotice& notice);
    void EndAfterDelay(int result);

    Poster poster_{this};
    BatchWorker worker_;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool ending_ = false;
};
