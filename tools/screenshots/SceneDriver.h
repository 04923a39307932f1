#pragma once

#include "gui/common/RecordingDialogs.h"
#include "gui/document/AppContext.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class frmMain;
class QWidget;

// Drives the real viewer for a screenshot as a user would: the start-up
// sequence, menu commands, mouse clicks on tree nodes and grid rows, found by
// their objectNames. Window places start from their first-run defaults (the
// user's settings are never read or written) and message boxes are recorded,
// not shown. Each step returns false and says why in error() when it cannot
// be done, so a scene that no longer fits the program fails loudly.
class SceneDriver {
public:
    explicit SceneDriver(QString outputDir);
    ~SceneDriver();

    // The start-up sequence on a copy of a file of samples/ in /tmp/claims,
    // as a first start (no settings) shows it: every window at its first-run
    // place and size.
    bool start(const QString& sample);
    // Answers the next file dialog with a copy of a file of samples/ in
    // /tmp/claims, as start() makes one.
    bool chooseInNextDialog(const QString& sample);
    // Triggers the main window's menu command named action.
    bool trigger(const QString& action);
    // Moves and sizes the document window named window inside the main window.
    bool place(const QString& window, const QRect& geometry);
    // Triggers the command named action of the document window named window.
    bool triggerIn(const QString& window, const QString& action);
    // Waits until the file tree window's whole-file check has finished.
    bool waitForCheck();
    // Waits until the button named button (in any window) is hidden: the
    // work it could cancel has ended.
    bool waitUntilHidden(const QString& button);
    // Clicks the node of window's TreeView1 whose text starts with text.
    bool clickTreeNode(const QString& window, const QString& text);
    // Clicks the value cell of the claim form's grid row for the field name.
    bool clickGridRow(const QString& name);
    // Types text into the empty line edit named control (in any window).
    bool type(const QString& control, const QString& text);
    // Types an expression into the filter box named control (in any window)
    // and presses Enter, as a user applies a filter.
    bool applyFilter(const QString& control, const QString& text);
    // Clicks the button named button (in any window) and waits until it can
    // be clicked again, so that the work it started has ended.
    bool clickAndWait(const QString& button);
    // Double-clicks row `row` of the table named table in window.
    bool doubleClickRow(const QString& window, const QString& table, int row);
    // The same for the first row that shows text in one of its cells.
    bool doubleClickRow(const QString& window, const QString& table, const QString& text);
    // Saves the main window, as drawn, with the dialogs open over it, to
    // <outputDir>/<fileName>.
    bool save(const QString& fileName);
    // Opens File > Print Preview... for the active window and saves the
    // preview dialog, sized to geometry, once it has drawn its pages.
    bool savePrintPreview(const QSize& size, const QString& fileName);
    // Saves one document window alone, frame and all.
    bool saveWindow(const QString& window, const QString& fileName);

    const QString& error() const { return error_; }

private:
    // A copy of a file of samples/ in /tmp/claims; empty when it failed.
    QString copySample(const QString& sample);
    QWidget* document(const QString& window);
    // The widget named name in the main window or a window of its.
    QWidget* widget(const QString& name);
    bool fail(const QString& why);
    // Lets the step's events run; false when it asked for a message box.
    bool settle(const QString& step);

    QString outputDir_;
    QTemporaryDir settingsDir_;
    AppContext context_;
    // Answers every message box unshown, and the file dialogs it is told to.
    RecordingDialogs dialogs_;
    std::unique_ptr<frmMain> main_;
    QString error_;
};
