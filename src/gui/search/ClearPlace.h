#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// Where a window of the main window's own (the search panel) stands clear of
// the document windows it serves (the results it fills, the claim form a
// result opens): beside the main window where its screen has room, else in
// the corner of the document area that covers the least of them.
class ClearPlace {
public:
    // The top-left for the window now at `current` (frame, global): where it
    // is when it covers none of `keep`; else the first of these that covers
    // the least of them, within `screen`: right of `main`, left of it, then
    // the corners of `area` (the document area), top right first.
    static QPoint of(const QRect& current, const QList<QRect>& keep, const QRect& main,
                     const QRect& area, const QRect& screen);
};
