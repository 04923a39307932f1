#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

class AppContext;
class ClaimDocument;
class RecordingDialogs;
class QWidget;
class frmMain;
struct WorkSeams;

// Helpers shared by the GUI tests.
class GuiTest {
public:
    // What every GUI test starts from: the standard paths in test mode, a
    // splash that does not keep the test waiting, and a screen of 96 dots per
    // inch, at which the pixel expectations (15 twips a pixel) are worked out.
    static void initTestCase();
    // A fresh application context whose start-up splash stays up 50 ms, so
    // that no test waits two seconds for the main window.
    static std::unique_ptr<AppContext> context();
    // What stands in for the user at every message box and file dialog of
    // the test: handed to the application by isolate(), every box and dialog
    // answered unshown until the test says otherwise.
    static RecordingDialogs& dialogs();
    // Twips to pixels at 96 dots per inch.
    static int px(double twips);

    // Puts the message-box and file-dialog seams in test mode with nothing
    // queued, and points the settings store at a fresh INI file in dir.
    static void isolate(const QTemporaryDir& dir);
    // A fresh temporary folder, isolated as above; stops the run when no
    // folder can be made.
    static std::unique_ptr<QTemporaryDir> isolatedFolder();
    // Undoes isolate(): the seams back to the real dialogs, no settings file.
    static void release();
    // The INI file that isolate() set up in dir.
    static QString settingsFile(const QTemporaryDir& dir);
    // Everything stored there, sorted, one "group/key=value" a line.
    static QStringList storedSettings(const QTemporaryDir& dir);
    // The four "Settings/<window><part>=<value>" lines a window's place gives
    // for a place in pixels at 15 twips a pixel.
    static QStringList placeLines(const QString& window, const QRect& pixels);

    // Triggers the action named name under root; false (with a warning saying
    // why) when there is no such action or it is disabled.
    static bool triggerAction(QWidget* root, const QString& name);

    // Opens a claim file as File > Open does, with the maps of mapFolders;
    // with no folders, only the file itself, with no layouts (whatever it
    // holds). Its jobs get seams (none: empty ones). nullptr when it cannot
    // be opened.
    static std::unique_ptr<ClaimDocument>
    openDocument(const QString& path, const std::vector<std::string>& mapFolders = {},
                 std::shared_ptr<const WorkSeams> seams = nullptr);

    // The content of main's document window named name (the view's
    // objectName) while it is open, not closed on its way out; else nullptr.
    static QWidget* view(const frmMain& main, const QString& name);
    template <typename View> static View* view(const frmMain& main, const QString& name) {
        return qobject_cast<View*>(view(main, name));
    }

    // A file under the test data folder.
    static QString dataPath(const QString& relativePath);
};
