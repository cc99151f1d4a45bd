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

void ProgressDlg::Poster::Post(const BatchNotice& notice) {
    // Thread-safe: the call waits in the queue of the dialog's thread, and is dropped with the
    // dialog.
    QMetaObject::invokeMethod(target_, [target = target_, notice] { target->Notice(notice); }, Qt::QueuedConnection);
}

ProgressDlg::ProgressDlg(gdi::FontEngine& engine, CFontList& target, std::vector<Combination> plan, bool highDensity,
                         QWidget* owner, unsigned threads)
    : QDialog(owner), worker_(engine, target, std::move(plan), highDensity, poster_, threads) {
    setObjectName("dialog214");
    setWindowTitle(QString());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto* label = new QLabel(tr("Processing the selected fonts ..."), this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, static_cast<int>(worker_.Total()));
    bar_->setValue(0);
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(tr("Cancel"), this);
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

void ProgressDlg::Notice(const BatchNotice& notice) {
    if (ending_) return;
    switch (notice.status) {
    case BatchStatus::Step:
        bar_->setValue(bar_->value() + 1);
        bar_->repaint();
        break;
    case BatchStatus::Failed: EndAfterDelay(QDialog::Rejected); break;
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
