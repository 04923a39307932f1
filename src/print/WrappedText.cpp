#include "print/WrappedText.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextOption>

WrappedText::WrappedText(const QString& text, const QFont& font, double width,
                         const QPaintDevice& device)
    : layout_(text, font, &device) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_.setTextOption(option);
    layout_.setCacheEnabled(true);
    layout_.beginLayout();
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height_));
        height_ += line.height();
    }
    layout_.endLayout();
}

void WrappedText::draw(QPainter& painter, double x, double y) const {
    layout_.draw(&painter, QPointF(x, y));
}
