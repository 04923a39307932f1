#pragma once

#include <QMdiArea>

class DocumentWindow;

// The main window's area of document windows (the file tree and the claim
// forms): adds them at their remembered place and arranges them.
class DocumentArea : public QMdiArea {
    Q_OBJECT
public:
    explicit DocumentArea(QWidget* parent = nullptr);

    // Where a window without a remembered place may go.
    enum class Room {
        Anywhere,
        // Only into free room: with none, it is shown minimized rather than
        // laid over the windows the user works in (a window the user did not
        // ask for, opened by itself).
        FreeOrMinimized,
    };

    // Adds content as a document window, named by content's objectName (which
    // also names its remembered place): placed where it was last, shown and
    // made active. With no place remembered it takes free room beside (or
    // else below) the windows open, where there is some. Closing the window deletes it and its
    // content, after saving its place unless it is minimized.
    DocumentWindow* addDocument(QWidget* content, Room room = Room::Anywhere);
    // Whether a new document window that does not fit may grow the main
    // window (within its screen) rather than be fitted into the area as it is.
    // Off unless set: the main window allows it only on a first run, before
    // the user has given it a size of their own.
    void setGrowWindowForDocuments(bool grow);
    // The open document window whose content has this object name, or nullptr.
    DocumentWindow* findDocument(const QString& windowName) const;
    // Brings a document window to the front, restoring it when minimized.
    void activateDocument(QMdiSubWindow* document);
    // The same for the document window that shows content; false when content
    // is in none (not added yet, or its window is gone).
    bool activateContent(const QWidget* content);
    // Closes every document window, each saving its place; false when one refused.
    bool closeAllDocuments();

    // Full-width bands stacked top to bottom, the active window on top.
    void tileHorizontally();
    // Full-height columns side by side, the active window on the left.
    void tileVertically();

private:
    void tile(Qt::Orientation bandDirection);
    // False when the main window cannot grow (maximized, minimized, ...).
    bool growWindowFor(QMdiSubWindow* document);
    void keepInSight(QMdiSubWindow* document);
    // Moves a document at its first-run place beside the others, when there
    // is room for it there in the area (or, when the main window may grow,
    // on its screen); false when there is none (true when there are no others).
    bool placeBesideOthers(QMdiSubWindow* document);
    // Gives the focus to the document's first control unless it has it: while
    // a dialog of the main window is active (the search panel) the main window
    // keeps it for when it is active again, instead of handing the focus to
    // its first control, in whichever document that lies.
    static void focusContent(QMdiSubWindow* document);

    bool growWindow_ = false;
};
