#include "gui/about/frmSplash.h"

#include "gui/about/Branding.h"
#include "gui/common/Controls.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

frmSplash::frmSplash(QWidget* parent, int showMilliseconds)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(Branding::title());
    setWindowIcon(Branding::applicationIcon());
    setModal(true);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("fraMainFrame"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Raised);
    frame->setLineWidth(2);

    auto* logo = Controls::label(frame, QStringLiteral("imgLogo"), QString());
    logo->setPixmap(Branding::applicationIcon().pixmap(64, 64));
    logo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    QLabel* productName =
        Controls::label(frame, QStringLiteral("lblProductName"), Branding::title());
    QFont productFont(QStringLiteral("Arial Black"), 26, QFont::Black);
    productName->setFont(productFont);

    QLabel* platform = Controls::label(frame, QStringLiteral("lblPlatform"),
                                       QStringLiteral("for the Microsoft Windows Platforms"));
    QFont platformFont = platform->font();
    platformFont.setPointSizeF(platformFont.pointSizeF() * 1.3);
    platform->setFont(platformFont);

    QLabel* version = Controls::label(frame, QStringLiteral("lblVersion"), Branding::versionLine());
    QFont versionFont(QStringLiteral("MS Sans Serif"));
    versionFont.setPointSizeF(platformFont.pointSizeF());
    versionFont.setBold(true);
    version->setFont(versionFont);
    version->setAlignment(Qt::AlignRight);

    QLabel* warning = Controls::label(
        frame, QStringLiteral("lblWarning"),
        QStringLiteral("Warning: this program is protected by copyright law. Copying or "
                       "distributing it, or any part of it, without permission may result "
                       "in civil and criminal penalties."));
    warning->setWordWrap(true);

    auto* titles = new QVBoxLayout;
    titles->addWidget(productName);
    titles->addWidget(platform);
    titles->addSpacing(12);
    titles->addWidget(version);
    titles->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(logo);
    top->addSpacing(16);
    top->addLayout(titles, 1);

    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(20, 20, 20, 16);
    inner->addLayout(top, 1);
    inner->addSpacing(16);
    inner->addWidget(warning);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(frame);

    setFixedSize(480, heightForWidth(480) > 0 ? heightForWidth(480) : sizeHint().height());

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(showMilliseconds);
    connect(timer_, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    timer_->start();
}

void frmSplash::Timer1_Timer() {
    timer_->stop();
    timedOut_ = true;
    accept();
}

void frmSplash::reject() {
    // Escape and the like: only the timer closes this window.
}

void frmSplash::closeEvent(QCloseEvent* event) {
    if (!timedOut_)
        event->ignore();
}
