#include "gui/claimform/ColumnRuler.h"

#include "gui/claimform/RecordLineEdit.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kShortTick = 3;
constexpr int kLongTick = 6;

} // namespace

ColumnRuler::ColumnRuler(const RecordLineEdit* line, QWidget* parent)
    : QWidget(parent)
    , line_(line) {
    setFont(line->font());
    connect(line, &RecordLineEdit::textMoved, this, qOverload<>(&QWidget::update));
    connect(line, &QLineEdit::textChanged, this, qOverload<>(&QWidget::update));
}

QSize ColumnRuler::sizeHint() const {
    return {line_->sizeHint().width(), fontMetrics().height() + kLongTick + 1};
}

qreal ColumnRuler::lineToRuler() const {
    return line_->mapTo(window(), QPoint()).x() - mapTo(window(), QPoint()).x();
}

qreal ColumnRuler::columnCentre(int column) const {
    return centre(lineToRuler() + line_->textOrigin(), column);
}

qreal ColumnRuler::centre(qreal textStart, int column) const {
    return textStart + (line_->columnOffset(column) + line_->columnOffset(column + 1)) / 2;
}

void ColumnRuler::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal offset = lineToRuler();
    const qreal textStart = offset + line_->textOrigin();
    const QRect textArea = line_->textArea();
    painter.setClipRect(QRectF(offset + textArea.left(), 0, textArea.width(), height()));
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics = fontMetrics();
    const int bottom = height() - 1;
    for (int column = 5; column <= kColumns; column += 5) {
        const qreal x = centre(textStart, column);
        if (x < offset + textArea.left() - metrics.height() ||
            x > offset + textArea.right() + metrics.height())
            continue;
        const bool numbered = column % 10 == 0;
        painter.drawLine(QPointF(x, bottom),
                         QPointF(x, bottom - (numbered ? kLongTick : kShortTick)));
        if (!numbered)
            continue;
        const QString number = QString::number(column);
        const qreal width = metrics.horizontalAdvance(number);
        painter.drawText(QPointF(x - width / 2, metrics.ascent()), number);
    }
}
