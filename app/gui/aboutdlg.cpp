// aboutdlg.cpp: the About box.
#include "aboutdlg.h"

#include "Artwork.h"
#include "CentreOn.h"
#include "resources/converter/ConverterStrings.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace {
constexpr const char* kVersionLine = "Typehold v2.0";
constexpr int kWidth = 300;
constexpr int kHeight = 170;
constexpr int kLogoHeight = 48;
}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("dialog100");
    setWindowTitle(QString::fromStdString(converter::LoadConverterString(converter::kStrAboutCaption)));
    setFixedSize(kWidth, kHeight);

    auto* version = new QLabel(QString::fromUtf8(kVersionLine), this);
    version->setObjectName("version");
    version->setGeometry(16, 16, kWidth - 32, 20);

    const QString address = QString::fromStdString(converter::LoadConverterString(converter::kStrMakerAddress));
    auto* maker = new QLabel(
        QString("<a href=\"%1\">%2</a>").arg(address.toHtmlEscaped(), QString::fromUtf8(converter::kMakerName)), this);
    maker->setObjectName("maker");
    maker->setTextFormat(Qt::RichText);
    maker->setTextInteractionFlags(Qt::TextBrowserInteraction);
    maker->setOpenExternalLinks(true);
    maker->setToolTip(address);
    maker->setGeometry(16, 40, kWidth - 32, 20);

    ok_ = new QPushButton(tr("OK"), this);
    ok_->setObjectName("ok");
    ok_->setDefault(true);
    ok_->setGeometry(kWidth - 16 - 80, kHeight - 16 - 26, 80, 26);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    logo_ = new QLabel(this);
    logo_->setObjectName("logo");
    logo_->setPixmap(ConverterLogo(kLogoHeight));
    logo_->resize(logo_->pixmap().size());
    CentreLogoOnOk();
}

void CAboutDlg::CentreLogoOnOk() {
    // The logo's horizontal centre on the OK button's, above the button.
    const int centre = ok_->geometry().center().x();
    logo_->move(centre - logo_->width() / 2, ok_->y() - 8 - logo_->height());
}

void CAboutDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreLogoOnOk();
    CentreOn(this, parentWidget());
}
