#include "gui/problems/ProblemIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <array>

namespace {

// A grey no-entry sign: the style has no icon for "could not be read" that
// tells itself apart from the critical one.
QIcon unreadableIcon() {
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 16.0;
        painter.setPen(QPen(QColor(70, 70, 70), unit));
        painter.setBrush(QColor(120, 120, 120));
        painter.drawEllipse(QRectF(1, 1, size - 2, size - 2));
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(3.5 * unit, 6.5 * unit, 9 * unit, 3 * unit));
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon ProblemIcons::icon(ProblemKind kind) {
    // Made once: the tree asks for a mark with every row it paints.
    static const std::array<QIcon, kProblemKindCount> icons = [] {
        const QStyle* style = QApplication::style();
        return std::array<QIcon, kProblemKindCount>{
            style->standardIcon(QStyle::SP_MessageBoxCritical), unreadableIcon(),
            style->standardIcon(QStyle::SP_MessageBoxWarning),
            style->standardIcon(QStyle::SP_MessageBoxQuestion),
            style->standardIcon(QStyle::SP_MessageBoxInformation)};
    }();
    return icons[std::size_t(kind)];
}
