#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// Where a window of the main window's own (the search panel) stands clear of
// the document windows it serves (the results it fills, the claim form a
// result opens): in the corner of the document area that covers the least of
// them, else beside the main window where its screen has room.
class ClearPlace {
public:
    // The top-left for the window now at `current` (frame, global): where it
    // is when it covers none of `keep`; else the first of these that covers
    // the least of them, within `screen`: the corners of `area` (the document
    // area), top right first, then right of `main` and left of it.
    static QPoint of(const QRect& current, const QList<QRect>& keep, const QRect& main,
                     const QRect& area, const QRect& screen);
};
