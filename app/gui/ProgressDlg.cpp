// ProgressDlg.cpp: the progress dialog and the notices of its worker.
#include "ProgressDlg.h"

#include "AppMessageBox.h"
#include "CentreOn.h"
#include "WholeCaption.h"
#include "WaitCursor.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
class NoticeEvent final : public QEvent {
public:
    explicit NoticeEvent(BatchNotice notice)
        : QEvent(static_cast<QEvent::Type>(ProgressDlg::kNoticeEvent)), notice(std::move(notice)) {}
    const BatchNotice notice;
};
}  // namespace

void ProgressDlg::Poster::Post(const BatchNotice& notice) {
    // Thread-safe: the event waits in the queue of the dialog's thread.
    QCoreApplication::postEvent(target_, new NoticeEvent(notice));
}

ProgressDlg::ProgressDlg(gdi::FontEngine& engine, CFontList& target, std::vector<Combination> plan, bool highDensity,
                         QWidget* owner)
    : QDialog(owner), worker_(engine, target, std::move(plan), highDensity, poster_) {
    setObjectName("dialog214");
    setWindowTitle(QString());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto* label = new QLabel(tr("Processing the selected fonts ..."), this);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QString::number(IDC_PROGRESS));
    bar_->setRange(0, static_cast<int>(worker_.Total()));
    bar_->setValue(0);
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName("2");
    connect(cancel_, &QPushButton::clicked, this, &ProgressDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    setMinimumWidth(340);
    KeepCaptionWhole(*this);
}

ProgressDlg::~ProgressDlg() {
    // A worker still running is stopped and waited for here, while the dialog it posts to is
    // whole.
    worker_.Cancel();
}

void ProgressDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (worker_.Started()) return;
    CentreOn(this, parentWidget());
    worker_.Start();
}

void ProgressDlg::customEvent(QEvent* event) {
    if (static_cast<int>(event->type()) != kNoticeEvent) {
        QDialog::customEvent(event);
        return;
    }
    if (ending_) return;
    const BatchNotice& notice = static_cast<NoticeEvent*>(event)->notice;
    if (notice.kind == BatchNotice::Kind::Message) {
        // The conversion's message, shown here on the window's thread; the worker waits for it.
        if (const auto message = worker_.TakeMessage()) worker_.AnswerMessage(AppMessageBox(message->text, message->type));
        return;
    }
    switch (notice.status) {
    case BatchStatus::Step:
        bar_->setValue(bar_->value() + 1);
        bar_->repaint();
        break;
    case BatchStatus::Failed:
        if (!notice.failureShown) unshownFailure_ = notice.failure;
        EndAfterDelay(QDialog::Rejected);
        break;
    case BatchStatus::Finished: EndAfterDelay(QDialog::Accepted); break;
    case BatchStatus::None: break;
    }
}

void ProgressDlg::EndAfterDelay(int result) {
    ending_ = true;
    cancel_->setEnabled(false);
    QTimer::singleShot(kEndDelayMs, this, [this, result] {
        worker_.Wait();
        QDialog::done(result);
    });
}

void ProgressDlg::reject() {
    // Once the worker has reported its end, the outcome stands; the dialog is about to close.
    if (ending_) return;
    ending_ = true;
    if (worker_.Started()) {
        WaitCursor wait;
        worker_.Cancel();
    }
    QDialog::done(QDialog::Rejected);
}
