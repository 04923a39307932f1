#pragma once

#include "gui/common/Twips.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

// Remembers where each window was, between runs, in the per-user settings store
// (SettingsStore, group "Settings"): four keys per window, its name followed by
// "Left", "Top", "Width" and "Height", each the decimal text of a
// single-precision number of twips (1/1440 inch; 15 twips a pixel at 96 dots
// per inch). Left and Top place the outer frame, Width and
// Height are the outer size.
//
// Use, for a top-level window: restore in the constructor, save when it closes.
//
//   WindowPositions::restore(this, QStringLiteral("frmFind"));   // before first show
//   void frmFind::closeEvent(QCloseEvent* e) { WindowPositions::save(this, objectName()); ... }
//
// A document window is placed relative to the main window's document area:
// pass it (or its QMdiSubWindow) after it was added to the area. The main
// window's DocumentArea::addDocument does both calls for its documents.
//
// A stored value that is not a number, or a non-positive size, gives that key's
// default; a place where the window's title strip would be out of sight (off
// every screen, or outside the document area) gives the default place. A
// top-level window is then fitted into the available area of the screen it
// lands on: made no larger than that area, then moved into it.
//
// A top-level window closed maximized also writes a fifth key, its name
// followed by "Maximized" ("1"), and comes back maximized; closed in its
// normal state it removes that key, so that its place is the four keys alone.
class WindowPositions {
public:
    // A window's place in twips, as it is stored.
    using Place = Twips::Rect;

    // The first-run place of every window that remembers one; a name not in the
    // table gets the main window's.
    static Place defaultsFor(const QString& windowName);

    static void restore(QWidget* window, const QString& windowName);
    // Writes the four keys, unless the window is minimized (the values saved
    // before then stay). A maximized window writes its maximized bounds, and
    // that it was maximized.
    static void save(const QWidget* window, const QString& windowName);

    // Reads the stored place with defaults for missing or unreadable values.
    static Place load(const QString& windowName, const Place& defaults);
    // Whether the store holds a place for the window (none on a first run).
    static bool isStored(const QString& windowName);

    // place made no larger than area (size first), then moved into it.
    static QRect fitInto(const QRect& place, const QRect& area);

    // The available area (without panels) of the screen a top-level window
    // lands on, or an empty rectangle on a system without screens.
    static QRect availableArea(const QWidget* window);
    // The room, in pixels of `on`'s screen, that a first start's document
    // windows take at their first-run places: the file tree with the claim
    // form below it and the file summary beside them.
    static QSize firstStartRoom(const QWidget* on);

    // The screens' available areas as windows over owner (a window, or the
    // application: every window) see them, in place of the real ones, as
    // tests hand them; an empty list gives owner the real screens again.
    static void setScreenAreas(QObject* owner, const QList<QRect>& availableAreas);
};
