#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// The design's lengths are twips (1/1440 inch); these are the pixels they
// make on the screen a widget is shown on (15 twips a pixel at 96 dpi).
class Twips {
public:
    // Anything beyond this is no length on any real desktop (about 70000
    // pixels at 96 DPI): a stored value past it is not taken.
    static constexpr float kMax = 1.0e6f;

    // A rectangle in twips.
    struct Rect {
        float left = 0;
        float top = 0;
        float width = 0;
        float height = 0;
    };
    // Twips to pixels and back, for the screen that shows `on` (the primary
    // screen without one).
    static QRect toPixels(const Rect& twips, const QWidget* on);
    static Rect toTwips(const QRect& pixels, const QWidget* on);

    static int x(double twips, const QWidget* on);
    static int y(double twips, const QWidget* on);
    static QSize size(double width, double height, const QWidget* on);
    static QRect rect(double left, double top, double width, double height, const QWidget* on);
    // Pixels across or down to twips.
    static float fromX(int pixels, const QWidget* on);
    static float fromY(int pixels, const QWidget* on);

    // The smallest outer size of a window: inside the main window's document
    // area that is the size of the document frame around content (so that the
    // frame, title and borders included, never gets smaller), else of content.
    // Call it again whenever content changes parent.
    static void keepOuterSizeAtLeast(QWidget* content, double width, double height);
};
