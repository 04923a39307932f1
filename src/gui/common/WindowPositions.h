#pragma once

#include <QRect>
#include <QSettings>
#include <QString>
#include <QWidget>
#include <memory>

// Remembers where each window was, between runs, in the per-user settings store
// (organization and application "Quillmark", group "Settings"): four keys per
// window, its name followed by "Left", "Top", "Width" and "Height", each the
// decimal text of a single-precision number of twips (1/1440 inch; 15 twips a
// pixel at 96 dots per inch). Left and Top place the outer frame, Width and
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
// every screen, or outside the document area) gives the default place.
class WindowPositions {
public:
    struct Twips {
        float left = 0;
        float top = 0;
        float width = 0;
        float height = 0;
    };

    // The first-run place of every window that remembers one; a name not in the
    // table gets the main window's.
    static Twips defaultsFor(const QString& windowName);

    static void restore(QWidget* window, const QString& windowName);
    static void restore(QWidget* window, const QString& windowName, const Twips& defaults);
    // Writes the four keys, unless the window is minimized (the values saved
    // before then stay). A maximized window writes its maximized bounds.
    static void save(const QWidget* window, const QString& windowName);

    // Reads the stored place with defaults for missing or unreadable values.
    static Twips load(const QString& windowName, const Twips& defaults);

    // The store itself. Tests point it at a temporary INI file; an empty path
    // goes back to the user's real store.
    static std::unique_ptr<QSettings> openSettings();
    static void setSettingsFile(const QString& iniPath);

    // Twips to pixels and back for the screen that shows the reference widget.
    static QRect toPixels(const Twips& twips, const QWidget* reference);
    static Twips toTwips(const QRect& pixels, const QWidget* reference);
};
