#include "gui/common/StatusProgressBar.h"

#include <QFontMetrics>

StatusProgressBar::StatusProgressBar(const QString& words, QWidget* parent)
    : QProgressBar(parent)
    , words_(words) {
    setRange(0, 100);
    const QFontMetrics metrics = fontMetrics();
    setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("100%")) +
                    metrics.averageCharWidth() * 2);
    setFormat(QStringLiteral("%p%"));
}

void StatusProgressBar::resizeEvent(QResizeEvent* event) {
    QProgressBar::resizeEvent(event);
    // Room for the words at 100%, in the bar's own margins.
    const QFontMetrics metrics = fontMetrics();
    const bool fits = width() >= metrics.horizontalAdvance(words_ + QStringLiteral(" 100%")) +
                                     metrics.averageCharWidth() * 2;
    setFormat(fits ? words_ + QStringLiteral(" %p%") : QStringLiteral("%p%"));
}
