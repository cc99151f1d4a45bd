// ProgressDlg.h: the progress dialog of an add-font batch (dialog 214): "Processing the selected
// fonts ...", a progress bar and Cancel, in front of the conversion worker. It ends with OK when
// every combination was converted and with Cancel when the batch failed or was cancelled.
#pragma once

#include "app/BatchWorker.h"

#include <QDialog>
#include <QEvent>

#include <optional>
#include <string>

class QProgressBar;
class QPushButton;

class ProgressDlg final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 214;
    static constexpr int IDC_PROGRESS = 1013;
    // The worker's notice, as the private window message WM_USER + 101.
    static constexpr int kNoticeEvent = QEvent::User + 101;
    // How long the finished bar stays up before the dialog ends.
    static constexpr int kEndDelayMs = 500;

    // The worker converts plan into target; the dialog starts it when first shown.
    ProgressDlg(gdi::FontEngine& engine, CFontList& target, std::vector<Combination> plan, bool highDensity,
                QWidget* owner);
    ~ProgressDlg() override;

    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }
    const BatchWorker& Worker() const { return worker_; }
    // After a failed batch: the failure's text when the conversion has not shown a message of
    // its own.
    std::optional<std::string> UnshownFailure() const { return unshownFailure_; }

public slots:
    // Cancel, Escape and the window manager's close: stops the worker after the combination in
    // hand and waits for it; the batch is discarded.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    class Poster final : public BatchReceiver {
    public:
        explicit Poster(QObject* target) : target_(target) {}
        void Post(const BatchNotice& notice) override;

    private:
        QObject* target_;
    };

    void EndAfterDelay(int result);

    Poster poster_{this};
    BatchWorker worker_;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool ending_ = false;
    std::optional<std::string> unshownFailure_;
};
