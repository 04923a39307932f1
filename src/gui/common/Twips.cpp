#include "gui/common/Twips.h"

#include "gui/common/WindowPositions.h"

#include <QMdiSubWindow>

QRect Twips::rect(double left, double top, double width, double height, const QWidget* on) {
    return WindowPositions::toPixels({float(left), float(top), float(width), float(height)}, on);
}

QSize Twips::size(double width, double height, const QWidget* on) {
    return rect(0, 0, width, height, on).size();
}

int Twips::x(double twips, const QWidget* on) {
    return size(twips, 0, on).width();
}

int Twips::y(double twips, const QWidget* on) {
    return size(0, twips, on).height();
}

float Twips::fromX(int pixels, const QWidget* on) {
    return WindowPositions::toTwips(QRect(0, 0, pixels, 0), on).width;
}

float Twips::fromY(int pixels, const QWidget* on) {
    return WindowPositions::toTwips(QRect(0, 0, 0, pixels), on).height;
}

void Twips::keepOuterSizeAtLeast(QWidget* content, double width, double height) {
    const QSize smallest = size(width, height, content);
    if (auto* frame = qobject_cast<QMdiSubWindow*>(content->parentWidget())) {
        content->setMinimumSize(0, 0);
        frame->setMinimumSize(smallest);
    } else {
        content->setMinimumSize(smallest);
    }
}
