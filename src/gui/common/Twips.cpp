#include "gui/common/Twips.h"

#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace {

constexpr double kTwipsPerInch = 1440.0;

QPointF dotsPerInch(const QWidget* on) {
    const QScreen* screen = on ? on->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {96.0, 96.0};
    return {screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()};
}

} // namespace

QRect Twips::toPixels(const Rect& twips, const QWidget* on) {
    const QPointF dpi = dotsPerInch(on);
    auto px = [](float value, qreal dotsPerInch) {
        return int(std::lround(double(value) * dotsPerInch / kTwipsPerInch));
    };
    return QRect(px(twips.left, dpi.x()), px(twips.top, dpi.y()), px(twips.width, dpi.x()),
                 px(twips.height, dpi.y()));
}

Twips::Rect Twips::toTwips(const QRect& pixels, const QWidget* on) {
    const QPointF dpi = dotsPerInch(on);
    auto tw = [](int value, qreal dotsPerInch) {
        return float(double(value) * kTwipsPerInch / dotsPerInch);
    };
    return {tw(pixels.x(), dpi.x()), tw(pixels.y(), dpi.y()), tw(pixels.width(), dpi.x()),
            tw(pixels.height(), dpi.y())};
}

QRect Twips::rect(double left, double top, double width, double height, const QWidget* on) {
    return toPixels({float(left), float(top), float(width), float(height)}, on);
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
    return toTwips(QRect(0, 0, pixels, 0), on).width;
}

float Twips::fromY(int pixels, const QWidget* on) {
    return toTwips(QRect(0, 0, 0, pixels), on).height;
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
