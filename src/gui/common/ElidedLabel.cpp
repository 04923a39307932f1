#include "gui/common/ElidedLabel.h"

#include "gui/common/PlainText.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace {
constexpr int kLeastCharacters = 10;
}

ElidedLabel::ElidedLabel(QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setDetails(const QString& details) {
    details_ = details;
}

bool ElidedLabel::isElided() const {
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

QSize ElidedLabel::minimumSizeHint() const {
    // Room for a few characters and the ellipsis: the window decides the rest.
    const QSize hint = QLabel::minimumSizeHint();
    return {qMin(hint.width(), kLeastCharacters * fontMetrics().averageCharWidth()), hint.height()};
}

bool ElidedLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        QString tip = isElided() ? text() : QString();
        if (!details_.isEmpty())
            tip += (tip.isEmpty() ? QString() : QStringLiteral("\n\n")) + details_;
        auto* help = static_cast<QHelpEvent*>(event);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), PlainText::toolTip(tip), this);
        return true;
    }
    return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}
