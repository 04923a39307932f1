#pragma once

#include <QFont>
#include <QString>
#include <QTextLayout>

class QPaintDevice;
class QPainter;

// A text broken into lines to fit a width: at blanks where it can, anywhere
// in a word too long for a line. Measured and drawn with the same layout, so
// that a text takes on the page the height it was given when the pages were
// counted.
class WrappedText {
public:
    WrappedText(const QString& text, const QFont& font, double width, const QPaintDevice& device);

    double height() const { return height_; }
    // Draws it with its top left at x, y.
    void draw(QPainter& painter, double x, double y) const;

private:
    QTextLayout layout_;
    double height_ = 0;
};
