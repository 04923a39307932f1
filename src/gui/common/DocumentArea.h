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
    // else below) the windows open, made smaller where that is all the room
    // there is (never below its smallest size). Closing the window deletes it
    // and its content, after saving its place unless it is minimized.
    DocumentWindow* addDocument(QWidget* content, Room room = Room::Anywhere);
    // Whether the first document window that does not fit may grow the main
    // window rather than be fitted into the area as it is. Off unless set:
    // the main window allows it only on a first run, before the user has
    // given it a size of their own. The main window then takes what a first
    // start's windows need, up to nine tenths of its screen, centred; on a
    // screen where that is less than kSmallestGrownSize it is maximized. The
    // windows that open without a place of their own share that room.
    void setGrowWindowForDocuments(bool grow);
    static constexpr QSize kSmallestGrownSize{1100, 700};
    // The open document window whose content has this object name, or nullptr.
    DocumentWindow* findDocument(const QString& windowName) const;
    // Brings a document window to the front, restoring it when minimized.
    void activateDocument(QMdiSubWindow* document);
    // The same for the document window that shows content; false when content
    // is in none (not added yet, or its window is gone).
    bool activateContent(const QWidget* content);
    // Closes every document window, each saving its place; false when one refused.
    bool closeAllDocuments();

    // Each window offset from the one below it by a title bar, all as large
    // as the area leaves them, the active window on top.
    void cascade();
    // Full-width bands stacked top to bottom, the active window on top.
    void tileHorizontally();
    // Full-height columns side by side, the active window on the left.
    // Both tile in a grid instead where bands would make windows smaller
    // than they can be; minimized windows stay as they are.
    void tileVertically();

private:
    void tile(Qt::Orientation bandDirection);
    // The windows an arrangement moves: shown and not minimized, topmost first.
    QList<QMdiSubWindow*> arrangedWindows() const;
    // The first start's main window takes the room of its screen (see
    // setGrowWindowForDocuments); false when it cannot (maximized, ...).
    bool growWindow();
    // A first-run place in the room the main window grew to: as much
    // smaller as the room is than what a first start's windows need.
    void shareGrownRoom(QMdiSubWindow* document);
    void keepInSight(QMdiSubWindow* document);
    // Moves a document at its first-run place into free room beside or below
    // the others, whole where it fits, else made as small as the room there
    // (down to its smallest size); false when there is none (true when
    // there are no others).
    bool placeInFreeRoom(QMdiSubWindow* document);
    // With no free room: the place beside or below another that covers the
    // least of them.
    void placeOverLeast(QMdiSubWindow* document);
    static QSize smallestSize(QWidget* document);
    // The least size every one of windows needs.
    static QSize smallestOfAll(const QList<QMdiSubWindow*>& windows);
    // Gives the focus to the document's first control unless it has it: while
    // a dialog of the main window is active (the search panel) the main window
    // keeps it for when it is active again, instead of handing the focus to
    // its first control, in whichever document that lies.
    static void focusContent(QMdiSubWindow* document);

    bool growWindow_ = false;
    bool grown_ = false;
};
