// Start-up, the main window's menus and status, opening and closing claim
// files, document windows and the main window's remembered place.
#include "GuiTest.h"
#include "core/common/MessageTexts.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/about/frmAbout.h"
#include "gui/about/frmSplash.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/common/SettingsStore.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Views whose tree window is a stand-in of the tree window's name, counted:
// what is arranged here is the window, whatever it shows.
class StandInViews : public DocumentViews {
public:
    using DocumentViews::DocumentViews;
    int made = 0;

protected:
    QWidget* makeTreeWindow(ClaimDocument&) override {
        ++made;
        auto* tree = new QWidget;
        tree->setObjectName(QStringLiteral("frmNSFTree"));
        tree->setWindowTitle(QStringLiteral("NSF File Tree"));
        return tree;
    }
};

const QString kNoFileOpened = QStringLiteral("No File Opened");
const QString kNoFileOpen = QStringLiteral("No File Open");
const QString kNotNsf = QStringLiteral("This is not an NSF file. Can not locate the AA0 record!");

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Start-up
    void startupSetsMapFolderShowsSplashThenMainWindow();
    void fileArgumentIsOpenedAfterTheSplash();

    // Menus and status
    void menusHaveTheirCaptionsShortcutsAndStates_data();
    void menusHaveTheirCaptionsShortcutsAndStates();
    void copyAndOptionsAreNeverEnabled();

    // File > Open, File > Close
    void openingAValidFileLoadsItsMapAndEnablesTheCommands();
    void cancellingTheDialogChangesNothing();
    void fileWithoutHeaderIsRefused();
    void failingMapShowsOnlyTheLoadersMessage();
    void refusedOpenChangesNothing_data();
    void refusedOpenChangesNothing();
    void unreadableFileIsReportedByName_data();
    void unreadableFileIsReportedByName();
    void secondOpenClosesTheFirstHandle();
    void unknownVersionOpensWithoutAMap();
    void lfOnlyFileIsNamedOnceAndInTheStatusTooltip();
    void lfOnlyFileIsReadAsTheUserAnswers_data();
    void lfOnlyFileIsReadAsTheUserAnswers();
    void doubtfulMapFieldsShowInTheTooltipAndAbout();
    void longSearchForTheHeaderShowsProgressAndCancels();
    void closeThenOpenWorksLikeAFirstOpen();
    void droppedFileIsOpened();
    void nameThatIsNotUtf8OpensFromTheDialogAndADrop();
    void dropWithoutALocalFileIsRefused();

    // Tools > View Claims and the Window menu
    void viewClaimsCreatesTheTreeWindowOnceThenRaisesIt();
    void smallMainWindowGrowsToShowANewDocument_data();
    void smallMainWindowGrowsToShowANewDocument();
    void laterRunFitsANewDocumentIntoTheMainWindow();
    void firstRunDocumentsTakeFreeRoomBesideTheOthers();
    void tileHorizontalStacksFullWidthBands();
    void tileVerticalSetsFullHeightColumnsSideBySide();
    void cascadeOffsetsEachWindow();
    void windowMenuListsAndActivatesDocuments();

    // Help > About, closing and the remembered place
    void aboutIsModalAndOwnedByTheMainWindow();
    void firstRunPlaceAndSaveOnExit();
    void exitWhileMinimizedKeepsTheSavedPlace();
    void maximizedMainWindowComesBackMaximizedWithinItsScreen();
    void closingClosesDocumentsFirstEachSavingItsPlace();

    // File names shown as they are
    void fileNamesShowAsPlainText_data();
    void fileNamesShowAsPlainText();

    // File > Recent Files
    void recentFilesListTheLastEightOpened();
    void settingsPipeIsIgnoredAtStartUp();

private:
    std::unique_ptr<frmMain> makeMainWindow();
    QAction* action(const QString& name) const;
    bool fileCommandsEnabled() const;
    // The claim files the process holds open, by their full paths.
    QStringList openClaimFiles() const;
    // The path of the open file, as the engine took it; empty when none is open.
    std::string openPath() const;
    // The status panel's tooltip, as plain text.
    QString statusToolTip() const;
    QWidget* addDocument(const QString& name, const QString& title);
    bool drop(const QMimeData& mime);
    void storePlace(const QString& window, const QRect& pixels);
    QStringList menuTexts(const QString& menu);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
};

void ShellTest::initTestCase() {
    GuiTest::initTestCase();
}

void ShellTest::init() {
    dir_ = GuiTest::isolatedFolder();
    context_ = GuiTest::context();
    context_->setMapFolders({GuiTest::dataPath(QStringLiteral("maps")).toStdString()});
}

void ShellTest::cleanup() {
    main_.reset();
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

std::unique_ptr<frmMain> ShellTest::makeMainWindow() {
    auto window = std::make_unique<frmMain>(*context_);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("The main window was not exposed");
    return window;
}

QAction* ShellTest::action(const QString& name) const {
    return main_->findChild<QAction*>(name);
}

bool ShellTest::fileCommandsEnabled() const {
    const bool close = action(QStringLiteral("mnuFileClose"))->isEnabled();
    const bool view = action(QStringLiteral("mnuClaimForm"))->isEnabled();
    if (close != view)
        qWarning("File > Close and Tools > View Claims disagree");
    return close && view;
}

QStringList ShellTest::openClaimFiles() const {
    // Windows of a closed file let it go when they are deleted.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QString data = GuiTest::dataPath(QStringLiteral("claims"));
    QStringList open;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    const QStringList entries = fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& fd : entries) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (target.startsWith(data) || target.startsWith(dir_->path()))
            open.append(target);
    }
    open.removeDuplicates();
    return open;
}

std::string ShellTest::openPath() const {
    return context_->document() ? context_->document()->file().path() : std::string();
}

QString ShellTest::statusToolTip() const {
    QTextDocument shown;
    shown.setHtml(main_->findChild<QLabel*>(QStringLiteral("sbStatusBarPanel1"))->toolTip());
    return shown.toPlainText()
        .replace(QChar::LineSeparator, QLatin1Char('\n'))
        .replace(QChar::Nbsp, QLatin1Char(' '));
}

QWidget* ShellTest::addDocument(const QString& name, const QString& title) {
    auto* content = new QWidget;
    content->setObjectName(name);
    content->setWindowTitle(title);
    main_->documents()->addDocument(content);
    return content;
}

void ShellTest::startupSetsMapFolderShowsSplashThenMainWindow() {
    QTemporaryDir cwd;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(cwd.path()));
    context_->setMapFolders({});

    bool splashSeen = false;
    QTimer::singleShot(100, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        QCOMPARE(modal->objectName(), QStringLiteral("frmSplash"));
        QVERIFY(!context_->mapFolders().empty());
        QVERIFY(context_->mapFolders().front() == QDir::currentPath().toStdString());
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (const QWidget* window : windows)
            QVERIFY(window->objectName() != QStringLiteral("frmMain"));
        splashSeen = true;
    });
    // Long enough to see the splash up; its own two seconds are the about tests'.
    context_->setSplashMilliseconds(300);
    QElapsedTimer clock;
    clock.start();
    main_ = Startup::run(*context_, QStringList());
    const qint64 elapsed = clock.elapsed();
    QDir::setCurrent(before);
    GuiTest::initTestCase();

    QVERIFY(splashSeen);
    QVERIFY2(elapsed >= 290, qPrintable(QString::number(elapsed)));
    QVERIFY(main_);
    QVERIFY(main_->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(main_->statusText(), kNoFileOpened);
    QVERIFY(!fileCommandsEnabled());
    QVERIFY(!context_->document());
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void ShellTest::fileArgumentIsOpenedAfterTheSplash() {
    // A relative path opens as its full path.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(GuiTest::dataPath(QStringLiteral("claims"))));
    main_ = Startup::run(*context_, {QStringLiteral("unknown-version.nsf")});
    QDir::setCurrent(before);

    const QString full = GuiTest::dataPath(QStringLiteral("claims/unknown-version.nsf"));
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + QDir::toNativeSeparators(full));
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(QString::fromStdString(openPath()), QDir::toNativeSeparators(full));
    QVERIFY(GuiTest::dialogs().requests().isEmpty());
}

void ShellTest::menusHaveTheirCaptionsShortcutsAndStates_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("enabled");
    const QKeySequence none;
    auto row = [](const char* menu, const char* name, const char* text, QKeySequence shortcut,
                  bool enabled) {
        QTest::newRow(name) << QString::fromLatin1(menu) << QString::fromLatin1(name)
                            << QString::fromLatin1(text) << shortcut << enabled;
    };
    row("mnuFile", "mnuFileOpen", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O), true);
    row("mnuFile", "mnuFileClose", "&Close", none, false);
    row("mnuFile", "mnuFileExportClaim", "&Export Claim...", none, false);
    row("mnuFile", "mnuFileRecent", "Recent &Files", none, false);
    row("mnuFileRecent", "mnuFileRecentClear", "&Clear Menu", none, false);
    row("mnuFile", "mnuFileExit", "E&xit", none, true);
    row("mnuEdit", "mnuEditCopy", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), false);
    row("mnuTools", "mnuClaimForm", "&View Claims", QKeySequence(Qt::CTRL | Qt::Key_T), false);
    row("mnuTools", "mnuToolsOptions", "&Options...", none, false);
    row("mnuWindow", "mnuWindowCascade", "&Cascade", none, true);
    row("mnuWindow", "mnuWindowTileHorizontal", "Tile &Horizontal", none, true);
    row("mnuWindow", "mnuWindowTileVertical", "Tile &Vertical", none, true);
    row("mnuHelp", "mnuHelpAbout", "&About ", none, true);
}

void ShellTest::menusHaveTheirCaptionsShortcutsAndStates() {
    QFETCH(QString, menu);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, enabled);
    main_ = makeMainWindow();
    QCOMPARE(main_->objectName(), QStringLiteral("frmMain"));
    QCOMPARE(main_->windowTitle(), QStringLiteral("Quillmark"));
    QVERIFY(main_->findChild<QStatusBar*>(QStringLiteral("sbStatusBar")));
    QCOMPARE(main_->statusText(), kNoFileOpened);

    auto* owner = main_->findChild<QMenu*>(menu);
    QVERIFY(owner);
    QAction* item = action(name);
    QVERIFY(item);
    QVERIFY(owner->actions().contains(item));
    QCOMPARE(item->text(), text);
    QCOMPARE(item->shortcut(), shortcut);
    QCOMPARE(item->isEnabled(), enabled);
}

void ShellTest::copyAndOptionsAreNeverEnabled() {
    main_ = makeMainWindow();
    // The menu bar's order and captions.
    QStringList titles;
    const QList<QAction*> menus = main_->menuBar()->actions();
    for (const QAction* menu : menus)
        titles.append(menu->text());
    QCOMPARE(titles, (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"),
                                  QStringLiteral("&Tools"), QStringLiteral("&Window"),
                                  QStringLiteral("&Help")}));
    QStringList fileItems;
    const QList<QAction*> fileActions =
        main_->findChild<QMenu*>(QStringLiteral("mnuFile"))->actions();
    for (const QAction* item : fileActions)
        fileItems.append(item->objectName() +
                         (item->isSeparator() ? QStringLiteral(" -") : QString()));
    QCOMPARE(fileItems,
             (QStringList{QStringLiteral("mnuFileOpen"), QStringLiteral("mnuFileClose"),
                          QStringLiteral("mnuFileExportClaim"), QStringLiteral("mnuFileBar0 -"),
                          QStringLiteral("mnuFileRecent"), QStringLiteral("mnuFileBar1 -"),
                          QStringLiteral("mnuFileExit")}));

    QSignalSpy copied(action(QStringLiteral("mnuEditCopy")), &QAction::triggered);
    QVERIFY(!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuEditCopy")));
    QVERIFY(!GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsOptions")));
    QTest::keyClick(main_.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(copied.count(), 0);

    // Not even an open file enables them.
    GuiTest::dialogs().setNextFileName(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    QVERIFY(fileCommandsEnabled());
    QVERIFY(!action(QStringLiteral("mnuEditCopy"))->isEnabled());
    QVERIFY(!action(QStringLiteral("mnuToolsOptions"))->isEnabled());
}

void ShellTest::openingAValidFileLoadsItsMapAndEnablesTheCommands() {
    main_ = makeMainWindow();
    const QString path = GuiTest::dataPath(QStringLiteral("claims/v0200.nsf"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));

    QCOMPARE(GuiTest::dialogs().requests().size(), 1);
    const FileDialog::OpenRequest& request = GuiTest::dialogs().requests().constFirst();
    QCOMPARE(request.objectName, QStringLiteral("dlgCommonDialog"));
    QCOMPARE(request.caption, QStringLiteral("Open"));
    QCOMPARE(request.filterLabel, QStringLiteral("All Files (*.*)"));
    QCOMPARE(request.filterPatterns, QStringLiteral("*"));

    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + path);
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(QString::fromStdString(openPath()), path);
    QCOMPARE(openClaimFiles(), QStringList{path});
    const qm::LayoutCatalogue& layouts = *context_->document()->file().layouts();
    QCOMPARE(layouts.find("AA0")->fieldCount(), 2);
    QCOMPARE(layouts.find("ZA0")->fieldCount(), 1);
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // The next dialog starts in the folder of the file opened last.
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    QCOMPARE(GuiTest::dialogs().requests().at(1).directory,
             GuiTest::dataPath(QStringLiteral("claims")));
}

void ShellTest::cancellingTheDialogChangesNothing() {
    main_ = makeMainWindow();
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    QVERIFY(!context_->document());
    QVERIFY(context_->lastPath().isEmpty());
    QCOMPARE(main_->statusText(), kNoFileOpened);
    QVERIFY(!fileCommandsEnabled());

    const QString path = GuiTest::dataPath(QStringLiteral("claims/v0200.nsf"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    const ClaimDocument* session = context_->document();
    GuiTest::dialogs().setNextFileName(QString());
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    QCOMPARE(context_->document(), session);
    QCOMPARE(QString::fromStdString(openPath()), path);
    QCOMPARE(openClaimFiles(), QStringList{path});
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + path);
    QVERIFY(fileCommandsEnabled());
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void ShellTest::fileWithoutHeaderIsRefused() {
    main_ = makeMainWindow();
    const QString path = GuiTest::dataPath(QStringLiteral("claims/no-aa0.txt"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));

    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    const MessageBoxes::Record& shown = GuiTest::dialogs().shown().constFirst();
    QCOMPARE(shown.text, kNotNsf);
    QCOMPARE(shown.title, QStringLiteral("Unrecognizable File"));
    QCOMPARE(shown.icon, qm::MessageIcon::Exclamation);
    QCOMPARE(shown.buttons, qm::MessageButtons::Ok);
    QCOMPARE(context_->lastPath(), path);
    QVERIFY(openClaimFiles().isEmpty());
    QVERIFY(!fileCommandsEnabled());
    QCOMPARE(main_->statusText(), kNoFileOpen);
}

void ShellTest::failingMapShowsOnlyTheLoadersMessage() {
    main_ = makeMainWindow();
    GuiTest::dialogs().setNextFileName(GuiTest::dataPath(QStringLiteral("claims/v0301.nsf")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));

    // The file is no less a claim file: only the loader speaks, naming where it looked.
    const QList<MessageBoxes::Record>& shown = GuiTest::dialogs().shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0).text,
             QStringLiteral("Unable to open map file: nsf0301.map\n\nLooked for it at:\n") +
                 QString::fromStdString(context_->mapFolders().front()) +
                 QStringLiteral("/nsf0301.map\n\n") +
                 QString::fromStdString(qm::MessageTexts::mapFolderHint()));
    QCOMPARE(shown.at(0).title, QStringLiteral("Error Opening Map File"));
    QCOMPARE(shown.at(0).icon, qm::MessageIcon::Critical);
    QVERIFY(openClaimFiles().isEmpty());
    QVERIFY(!fileCommandsEnabled());
    QCOMPARE(main_->statusText(), kNoFileOpen);
}

// A file that cannot be opened, chosen in any way, leaves the open file and
// every window about it as they were.
void ShellTest::refusedOpenChangesNothing_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("target");
    QTest::newRow("File > Open, no file header")
        << QStringLiteral("open") << QStringLiteral("claims/no-aa0.txt");
    QTest::newRow("dropped folder") << QStringLiteral("drop") << QStringLiteral("folder.nsf");
    QTest::newRow("Recent Files, gone since")
        << QStringLiteral("recent") << QStringLiteral("earlier.nsf");
}

void ShellTest::refusedOpenChangesNothing() {
    QFETCH(QString, way);
    QFETCH(QString, target);
    const QString earlier = dir_->filePath(QStringLiteral("earlier.nsf"));
    QVERIFY(QFile::copy(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")), earlier));
    QVERIFY(QDir().mkpath(dir_->filePath(QStringLiteral("folder.nsf"))));
    const QString path = GuiTest::dataPath(QStringLiteral("claims/v0200.nsf"));
    main_ = makeMainWindow();
    main_->openFile(earlier);
    main_->openFile(path);
    const QPointer<ClaimDocument> session = context_->document();
    QVERIFY(session);
    const QPointer<QWidget> window = addDocument(QStringLiteral("frmNSFTree"), path);
    session->closeWithFile(window);

    const QString refused = target.startsWith(QLatin1String("claims/")) ? GuiTest::dataPath(target)
                                                                        : dir_->filePath(target);
    if (way == QLatin1String("open")) {
        GuiTest::dialogs().setNextFileName(refused);
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    } else if (way == QLatin1String("drop")) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(refused)});
        QVERIFY(drop(mime));
    } else {
        QVERIFY(QFile::remove(refused));
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileRecent2")));
    }
    QTRY_COMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(context_->lastPath(), refused);
    QVERIFY2(session && context_->document() == session, "the open file was closed");
    QVERIFY(window);
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + path);
    QCOMPARE(openClaimFiles(), QStringList{path});
}

void ShellTest::unreadableFileIsReportedByName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isFolder");
    QTest::newRow("vanished") << QStringLiteral("gone.nsf") << false;
    QTest::newRow("folder") << QStringLiteral("folder.nsf") << true;
}

void ShellTest::unreadableFileIsReportedByName() {
    QFETCH(QString, name);
    QFETCH(bool, isFolder);
    const QString path = dir_->filePath(name);
    if (isFolder)
        QVERIFY(QDir().mkpath(path));
    main_ = makeMainWindow();
    GuiTest::dialogs().setNextFileName(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));

    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    const MessageBoxes::Record& shown = GuiTest::dialogs().shown().constFirst();
    QCOMPARE(shown.title, QStringLiteral("Unable to Open File"));
    QCOMPARE(shown.icon, qm::MessageIcon::Critical);
    QVERIFY2(shown.text.contains(QDir::toNativeSeparators(path)), qPrintable(shown.text));
    // The reason follows the name.
    QVERIFY2(shown.text.section(QStringLiteral("\n\n"), 1).size() > 3, qPrintable(shown.text));
    QCOMPARE(context_->lastPath(), QDir::toNativeSeparators(path));
    // The file open before stays open.
    const QString first = GuiTest::dataPath(QStringLiteral("claims/v0200.nsf"));
    QCOMPARE(openClaimFiles(), QStringList{first});
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + first);
}

void ShellTest::secondOpenClosesTheFirstHandle() {
    main_ = Startup::run(*context_, QStringList());
    GuiTest::dialogs().setNextFileName(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")));
    GuiTest::dialogs().setNextFileName(
        GuiTest::dataPath(QStringLiteral("claims/unknown-version.nsf")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    const QPointer<DocumentWindow> firstTree =
        main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    QVERIFY(firstTree);
    // Opened from the event loop, as a user does: the first file's windows,
    // and the tree they hold, go before the second file is read, not when
    // the loop turns again.
    bool firstGone = false;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen"));
        firstGone = !firstTree;
        loop.quit();
    });
    loop.exec();
    QVERIFY(firstGone);
    QCOMPARE(openClaimFiles(),
             QStringList{GuiTest::dataPath(QStringLiteral("claims/unknown-version.nsf"))});
}

void ShellTest::unknownVersionOpensWithoutAMap() {
    main_ = makeMainWindow();
    const QString path = GuiTest::dataPath(QStringLiteral("claims/unknown-version.nsf"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + path);
    QCOMPARE(context_->document()->file().layouts()->find("AA0")->fieldCount(), 0);
}

void ShellTest::lfOnlyFileIsNamedOnceAndInTheStatusTooltip() {
    QFile source(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")));
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QString path = dir_->filePath(QStringLiteral("lf.nsf"));
    QFile lf(path);
    QVERIFY(lf.open(QIODevice::WriteOnly));
    lf.write(source.readAll().replace("\r\n", "\n"));
    lf.close();

    main_ = makeMainWindow();
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    // It opens (its first line is a file header), and the user, asked how to
    // read it, knows why it looks empty: the question is the one box.
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + path);
    QVERIFY(statusToolTip().contains(QStringLiteral("Lines end in LF only")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().at(0).text,
             QStringLiteral("This file's lines end in LF only, so it reads as one line. Read it "
                            "with LF as the line end?"));
    QCOMPARE(GuiTest::dialogs().shown().at(0).buttons, qm::MessageButtons::YesNo);
}

// Yes reads the file line by line: every reader of the document (each view
// opens its own on it) finds the CR LF file's tree, and the title says how it
// was read until the file closes. No (the default) reads it as one line.
void ShellTest::lfOnlyFileIsReadAsTheUserAnswers_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("title");
    QTest::newRow("Yes") << true << QStringLiteral("Quillmark - lf.nsf (LF line ends)");
    QTest::newRow("No") << false << QStringLiteral("Quillmark");
}

void ShellTest::lfOnlyFileIsReadAsTheUserAnswers() {
    QFETCH(bool, yes);
    QFETCH(QString, title);
    const QString crlfPath = QStringLiteral(SAMPLES_DIR "/sample301.nsf");
    context_->setMapFolders({MAPS_DIR});
    QFile source(crlfPath);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QString path = dir_->filePath(QStringLiteral("lf.nsf"));
    QFile lf(path);
    QVERIFY(lf.open(QIODevice::WriteOnly));
    lf.write(source.readAll().replace("\r\n", "\n"));
    lf.close();

    main_ = makeMainWindow();
    GuiTest::dialogs().setNextAnswer(yes ? qm::MessageAnswer::Yes : qm::MessageAnswer::No);
    main_->openFile(path);
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(main_->windowTitle(), title);
    qm::SequentialFile crlf, read;
    QVERIFY(crlf.open(crlfPath.toStdString()));
    QVERIFY(read.openSame(context_->document()->file().file()));
    const qm::FileTree expected = qm::BuildTree(crlf);
    QVERIFY(expected.size() > 1);
    QCOMPARE(qm::BuildTree(read).size(), yes ? expected.size() : 1);
    QCOMPARE(context_->document()->file().result().lfLineEnds, yes);

    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    QCOMPARE(main_->windowTitle(), QStringLiteral("Quillmark"));
}

// A map that defines a field twice and lets it overlap another opens without
// a message box; the status text stays "Opened File: " and the path, and its
// tooltip and the About box name both, for as long as the file is open. No
// format file beside the map is no warning: About says none was found.
void ShellTest::doubtfulMapFieldsShowInTheTooltipAndAbout() {
    QFile shipped(GuiTest::dataPath(QStringLiteral("maps/nsf0200.map")));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QFile map(dir_->filePath(QStringLiteral("nsf0200.map")));
    QVERIFY(map.open(QIODevice::WriteOnly));
    map.write(shipped.readAll() + "AA0,01.0,\"Again\",3,X,2,4\r\n");
    map.close();
    context_->setMapFolders({dir_->path().toStdString()});
    const QStringList warnings{
        QStringLiteral("nsf0200.map: AA0 01.0 is defined twice, the first definition is used"),
        QStringLiteral("nsf0200.map: AA0 01.0 (columns 2-4) overlaps AA0 02.0 (columns 4-19)")};
    QString formats;
    auto aboutWarnings = [this, &formats] {
        QString shown = QStringLiteral("(not seen)");
        QTimer::singleShot(0, this, [&shown, &formats] {
            auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            const auto* box =
                about ? about->findChild<QPlainTextEdit*>(QStringLiteral("txtMapWarnings"))
                      : nullptr;
            if (box)
                shown = box->isVisibleTo(about) ? box->toPlainText() : QString();
            if (about) {
                formats = about->findChild<QLabel*>(QStringLiteral("lblFormats"))->text();
                about->reject();
            }
        });
        GuiTest::triggerAction(main_.get(), QStringLiteral("mnuHelpAbout"));
        return shown;
    };

    main_ = makeMainWindow();
    const QString path = GuiTest::dataPath(QStringLiteral("claims/v0200.nsf"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + path);
    QCOMPARE(statusToolTip(), (QStringList{path} + warnings).join(QLatin1Char('\n')));
    QCOMPARE(aboutWarnings(), warnings.join(QLatin1Char('\n')));
    QCOMPARE(formats, QStringLiteral("Formats: none found"));

    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    QCOMPARE(aboutWarnings(), QString());
}

// Gigabytes without a line end or a file header: the open reads them all
// unless cancelled, and a cancelled open leaves no file open.
void ShellTest::longSearchForTheHeaderShowsProgressAndCancels() {
    const QString path = dir_->filePath(QStringLiteral("huge.nsf"));
    QFile huge(path);
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(qint64(64) << 30)); // sparse: reads as NUL bytes
    huge.close();

    main_ = makeMainWindow();
    bool dialogSeen = false;
    std::function<void()> cancel = [&] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String("frmOpenProgress")) {
            QTimer::singleShot(20, main_.get(), cancel);
            return;
        }
        dialogSeen = true;
        QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    };
    QTimer::singleShot(0, main_.get(), cancel);
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    QVERIFY(dialogSeen);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
    QVERIFY(!fileCommandsEnabled());
    QVERIFY(openClaimFiles().isEmpty());
    QCOMPARE(main_->statusText(), kNoFileOpen);
}

void ShellTest::closeThenOpenWorksLikeAFirstOpen() {
    main_ = makeMainWindow();
    const QString path = GuiTest::dataPath(QStringLiteral("claims/v0200.nsf"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));

    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    QCOMPARE(main_->statusText(), kNoFileOpen);
    QVERIFY(!fileCommandsEnabled());
    // A job stopped by the close may still be leaving its reader on a loaded machine.
    QTRY_VERIFY(openClaimFiles().isEmpty());
    QVERIFY(!context_->document());
    // Close leaves the name (for the next dialog) and the layouts loaded last.
    QCOMPARE(context_->lastPath(), path);
    QCOMPARE(context_->layouts()->find("AA0")->fieldCount(), 2);

    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + path);
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(openClaimFiles(), QStringList{path});
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

// Drags mime over the main window and drops it there, as a user would;
// false when the window refused the drag.
bool ShellTest::drop(const QMimeData& mime) {
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(main_.get(), &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    dropped.ignore();
    QApplication::sendEvent(main_.get(), &dropped);
    return dropped.isAccepted();
}

void ShellTest::nameThatIsNotUtf8OpensFromTheDialogAndADrop() {
    QFile source(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")));
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = QFile::encodeName(dir_->path()) + "/bad\xff.nsf";
    const QByteArray content = source.readAll();
    FILE* out = std::fopen(bytes.constData(), "wb");
    QVERIFY(out);
    std::fwrite(content.constData(), 1, std::size_t(content.size()), out);
    std::fclose(out);
    // Qt shows the name with a replacement character; the file is still found.
    const QString shown = QFile::decodeName(bytes);
    QVERIFY(shown.contains(QChar::ReplacementCharacter));

    main_ = makeMainWindow();
    GuiTest::dialogs().setNextFileName(shown);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    QVERIFY2(GuiTest::dialogs().shown().isEmpty(),
             qPrintable(GuiTest::dialogs().shown().value(0).text));
    QVERIFY(fileCommandsEnabled());
    QCOMPARE(openPath(), bytes.toStdString());

    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    QMimeData mime;
    mime.setUrls({QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"))});
    QVERIFY(drop(mime));
    QTRY_VERIFY(fileCommandsEnabled());
    QCOMPARE(openPath(), bytes.toStdString());
    QVERIFY(::unlink(bytes.constData()) == 0);
}

void ShellTest::droppedFileIsOpened() {
    main_ = makeMainWindow();
    const QString path = GuiTest::dataPath(QStringLiteral("claims/v0200.nsf"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QVERIFY(drop(mime));
    QTRY_COMPARE(main_->statusText(), QStringLiteral("Opened File: ") + path);
    QVERIFY(fileCommandsEnabled());
    QVERIFY(GuiTest::dialogs().requests().isEmpty());

    // A dropped file that is no claim file is refused as File > Open refuses it.
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(GuiTest::dataPath(QStringLiteral("claims/no-aa0.txt")))});
    QVERIFY(drop(other));
    QTRY_COMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text, kNotNsf);
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + path);
}

void ShellTest::dropWithoutALocalFileIsRefused() {
    main_ = makeMainWindow();
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.invalid/claims.nsf"))});
    QVERIFY(!drop(remote));
    QMimeData text;
    text.setText(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")));
    QVERIFY(!drop(text));
    QTest::qWait(20);
    QCOMPARE(main_->statusText(), kNoFileOpened);
}

void ShellTest::smallMainWindowGrowsToShowANewDocument_data() {
    QTest::addColumn<QRect>("treePlace"); // empty: its first-run place
    QTest::newRow("first-run place") << QRect();
    // As large as the screen: the grown window cannot hold it, so it shrinks.
    QTest::newRow("larger than the screen") << QRect(30, 40, 4000, 4000);
}

void ShellTest::smallMainWindowGrowsToShowANewDocument() {
    // The first-run main window is far smaller than the tree window's place.
    QFETCH(QRect, treePlace);
    if (!treePlace.isEmpty())
        storePlace(QStringLiteral("frmNSFTree"), treePlace);
    main_ = makeMainWindow();
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    const QSize before = main_->size();
    GuiTest::dialogs().setNextFileName(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    main_->setViews(new StandInViews(*main_->documents()));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuClaimForm")));
    DocumentWindow* tree = main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    QVERIFY(tree);
    QVERIFY(main_->width() > before.width());
    QVERIFY(main_->height() > before.height());
    QTRY_VERIFY2(main_->documents()->viewport()->rect().contains(tree->geometry()),
                 "the new document window is in sight");
}

void ShellTest::storePlace(const QString& window, const QRect& pixels) {
    QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
    const QStringList lines = GuiTest::placeLines(window, pixels);
    for (const QString& line : lines)
        settings.setValue(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
}

void ShellTest::laterRunFitsANewDocumentIntoTheMainWindow() {
    // The user left the main window small; the tree window's place is larger.
    storePlace(QStringLiteral("frmMain"), QRect(100, 100, 300, 250));
    storePlace(QStringLiteral("frmNSFTree"), QRect(30, 40, 433, 433));
    main_ = makeMainWindow();
    const QRect before = main_->frameGeometry();
    QCOMPARE(before, QRect(100, 100, 300, 250));
    main_->setViews(new StandInViews(*main_->documents()));
    main_->openFile(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")));

    DocumentWindow* tree = main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    QVERIFY(tree);
    QTest::qWait(20);
    QCOMPARE(main_->frameGeometry(), before);
    const QRect area = main_->documents()->viewport()->rect();
    QVERIFY(area.width() < 433 && area.height() < 433);
    QCOMPARE(tree->geometry(), area);
}

void ShellTest::firstRunDocumentsTakeFreeRoomBesideTheOthers() {
    main_ = makeMainWindow();
    main_->resize(1400, 900);
    QTRY_COMPARE(main_->size(), QSize(1400, 900));
    auto frame = [](QWidget* content) {
        return content->parentWidget()->geometry();
    };
    const QRect tree = frame(addDocument(QStringLiteral("frmNSFTree"), QStringLiteral("Tree")));
    QCOMPARE(tree,
             QRect(GuiTest::px(1000), GuiTest::px(1000), GuiTest::px(6500), GuiTest::px(6500)));
    // Beside the tree, not over it.
    const QRect form = frame(addDocument(QStringLiteral("frmClaimForm"), QStringLiteral("Form")));
    QCOMPARE(form, QRect(tree.right() + 1, tree.top(), GuiTest::px(6500), GuiTest::px(6500)));
    // No room beside the form: below the tree.
    const QRect problems =
        frame(addDocument(QStringLiteral("frmProblems"), QStringLiteral("Problems")));
    QCOMPARE(problems.topLeft(), QPoint(tree.left(), tree.bottom() + 1));
    QVERIFY(!problems.intersects(form));
    // No room of its size: what room there is beside the others, not over them.
    const QRect results =
        frame(addDocument(QStringLiteral("frmSearchResults"), QStringLiteral("R")));
    QCOMPARE(results.topLeft(), QPoint(problems.right() + 1, problems.top()));
    for (const QRect& other : {tree, form, problems})
        QVERIFY(!results.intersects(other));
    QVERIFY(main_->documents()->viewport()->rect().contains(results));

    // A remembered place is where the window goes, whatever it covers.
    main_->documents()->closeAllDocuments();
    storePlace(QStringLiteral("frmClaimForm"), QRect(80, 90, 400, 400));
    addDocument(QStringLiteral("frmNSFTree"), QStringLiteral("Tree"));
    QCOMPARE(frame(addDocument(QStringLiteral("frmClaimForm"), QStringLiteral("Form"))),
             QRect(80, 90, 400, 400));
}

void ShellTest::viewClaimsCreatesTheTreeWindowOnceThenRaisesIt() {
    main_ = makeMainWindow();
    main_->resize(700, 600);
    GuiTest::dialogs().setNextFileName(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));

    // Without a factory the command does nothing.
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuClaimForm")));
    QVERIFY(main_->documents()->subWindowList().isEmpty());

    auto* views = new StandInViews(*main_->documents());
    main_->setViews(views);
    const int& made = views->made;
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuClaimForm")));
    QCOMPARE(made, 1);
    DocumentWindow* tree = main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    QVERIFY(tree);
    QVERIFY(tree->isVisible());
    // A first start places it at its own default, relative to the area.
    QCOMPARE(tree->geometry(), QRect(67, 67, 433, 433));

    QWidget* other = addDocument(QStringLiteral("frmClaimForm"), QStringLiteral("Claim Form"));
    other->parentWidget()->showMinimized();
    tree->showMinimized();
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuClaimForm")));
    QCOMPARE(made, 1);
    QCOMPARE(main_->documents()->subWindowList().size(), 2);
    QCOMPARE(main_->documents()->activeSubWindow(), tree);
    QVERIFY(!tree->isMinimized());

    tree->close();
    QTRY_VERIFY(!main_->documents()->findDocument(QStringLiteral("frmNSFTree")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuClaimForm")));
    QCOMPARE(made, 2);
}

void ShellTest::tileHorizontalStacksFullWidthBands() {
    main_ = makeMainWindow();
    main_->resize(700, 600);
    addDocument(QStringLiteral("a"), QStringLiteral("A"));
    addDocument(QStringLiteral("b"), QStringLiteral("B"));
    QWidget* c = addDocument(QStringLiteral("c"), QStringLiteral("C"));
    c->parentWidget()->showMaximized();
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuWindowTileHorizontal")));

    const QRect area = main_->documents()->viewport()->rect();
    QList<QRect> bands;
    const QList<QMdiSubWindow*> windows =
        main_->documents()->subWindowList(QMdiArea::StackingOrder);
    for (const QMdiSubWindow* window : windows) {
        QVERIFY(!window->isMaximized());
        bands.append(window->geometry());
    }
    std::sort(bands.begin(), bands.end(),
              [](const QRect& x, const QRect& y) { return x.top() < y.top(); });
    QCOMPARE(bands.size(), 3);
    QCOMPARE(bands.first().top(), area.top());
    QCOMPARE(bands.last().bottom(), area.bottom());
    for (int i = 0; i < bands.size(); ++i) {
        QCOMPARE(bands.at(i).left(), area.left());
        QCOMPARE(bands.at(i).width(), area.width());
        QVERIFY(qAbs(bands.at(i).height() - area.height() / 3) <= 1);
        if (i > 0)
            QCOMPARE(bands.at(i).top(), bands.at(i - 1).bottom() + 1);
    }
    // The active window takes the top band.
    QCOMPARE(main_->documents()->activeSubWindow()->geometry(), bands.first());
}

void ShellTest::tileVerticalSetsFullHeightColumnsSideBySide() {
    main_ = makeMainWindow();
    main_->resize(700, 600);
    addDocument(QStringLiteral("a"), QStringLiteral("A"));
    addDocument(QStringLiteral("b"), QStringLiteral("B"));
    QWidget* minimized = addDocument(QStringLiteral("m"), QStringLiteral("M"));
    minimized->parentWidget()->showMinimized();
    const QRect iconPlace = minimized->parentWidget()->geometry();
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuWindowTileVertical")));

    const QRect area = main_->documents()->viewport()->rect();
    QList<QRect> columns;
    const QList<QMdiSubWindow*> windows = main_->documents()->subWindowList();
    for (const QMdiSubWindow* window : windows) {
        if (!window->isMinimized())
            columns.append(window->geometry());
    }
    std::sort(columns.begin(), columns.end(),
              [](const QRect& x, const QRect& y) { return x.left() < y.left(); });
    QCOMPARE(columns.size(), 2);
    QCOMPARE(columns.at(0).left(), area.left());
    QCOMPARE(columns.at(1).left(), columns.at(0).right() + 1);
    QCOMPARE(columns.at(1).right(), area.right());
    for (const QRect& column : std::as_const(columns)) {
        QCOMPARE(column.top(), area.top());
        QCOMPARE(column.height(), area.height());
    }
    // A minimized window is left where it is.
    QCOMPARE(minimized->parentWidget()->geometry(), iconPlace);
}

void ShellTest::cascadeOffsetsEachWindow() {
    main_ = makeMainWindow();
    main_->resize(700, 600);
    addDocument(QStringLiteral("a"), QStringLiteral("A"));
    addDocument(QStringLiteral("b"), QStringLiteral("B"));
    addDocument(QStringLiteral("c"), QStringLiteral("C"));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuWindowTileVertical")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuWindowCascade")));

    QList<QPoint> corners;
    const QList<QMdiSubWindow*> windows = main_->documents()->subWindowList();
    for (const QMdiSubWindow* window : windows)
        corners.append(window->geometry().topLeft());
    std::sort(corners.begin(), corners.end(),
              [](const QPoint& x, const QPoint& y) { return x.y() < y.y(); });
    QCOMPARE(corners.size(), 3);
    for (int i = 1; i < corners.size(); ++i) {
        QVERIFY(corners.at(i).x() > corners.at(i - 1).x());
        QVERIFY(corners.at(i).y() > corners.at(i - 1).y());
    }
}

void ShellTest::windowMenuListsAndActivatesDocuments() {
    main_ = makeMainWindow();
    auto* menu = main_->findChild<QMenu*>(QStringLiteral("mnuWindow"));
    auto entries = [menu] {
        QStringList texts;
        const QList<QAction*> actions = menu->actions();
        for (const QAction* item : actions) {
            if (item->objectName().isEmpty() && !item->isSeparator())
                texts.append(item->text() + (item->isChecked() ? QStringLiteral(" *") : QString()));
        }
        return texts;
    };
    emit menu->aboutToShow();
    QVERIFY(entries().isEmpty());

    QWidget* first = addDocument(QStringLiteral("frmNSFTree"), QStringLiteral("NSF File Tree"));
    addDocument(QStringLiteral("frmClaimForm"), QStringLiteral("Claim Form"));
    emit menu->aboutToShow();
    QCOMPARE(entries(),
             (QStringList{QStringLiteral("&1 NSF File Tree"), QStringLiteral("&2 Claim Form *")}));

    const QList<QAction*> actions = menu->actions();
    QAction* firstEntry = nullptr;
    for (QAction* item : actions) {
        if (item->text() == QStringLiteral("&1 NSF File Tree"))
            firstEntry = item;
    }
    QVERIFY(firstEntry);
    firstEntry->trigger();
    QCOMPARE(main_->documents()->activeSubWindow(), first->parentWidget());
    emit menu->aboutToShow();
    QCOMPARE(entries(),
             (QStringList{QStringLiteral("&1 NSF File Tree *"), QStringLiteral("&2 Claim Form")}));

    first->parentWidget()->close();
    QTRY_COMPARE(main_->documents()->subWindowList().size(), 1);
    emit menu->aboutToShow();
    QCOMPARE(entries(), QStringList{QStringLiteral("&1 Claim Form *")});
}

void ShellTest::aboutIsModalAndOwnedByTheMainWindow() {
    main_ = makeMainWindow();
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        QVERIFY(about);
        QCOMPARE(about->objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(about->parentWidget(), main_.get());
        QVERIFY(about->isModal());
        seen = true;
        about->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuHelpAbout")));
    // The command returns only once the box has closed.
    QVERIFY(seen);
    QVERIFY(!QApplication::activeModalWidget());
}

void ShellTest::firstRunPlaceAndSaveOnExit() {
    main_ = makeMainWindow();
    QCOMPARE(main_->frameGeometry(), QRect(67, 67, 400, 133));

    main_->move(150, 90);
    main_->resize(500, 300);
    const QRect moved = main_->frameGeometry();
    QSignalSpy closed(main_.get(), &frmMain::closed);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExit")));
    QVERIFY(!main_->isVisible());
    QCOMPARE(closed.count(), 1);

    QCOMPARE(GuiTest::storedSettings(*dir_), GuiTest::placeLines(QStringLiteral("frmMain"), moved));

    main_ = makeMainWindow();
    QCOMPARE(main_->frameGeometry(), moved);
}

void ShellTest::exitWhileMinimizedKeepsTheSavedPlace() {
    main_ = makeMainWindow();
    main_->move(120, 100);
    main_->close();
    QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
    const QString left = settings.value(QStringLiteral("Settings/frmMainLeft")).toString();
    QCOMPARE(left, QStringLiteral("1800"));

    main_ = makeMainWindow();
    main_->showMinimized();
    QVERIFY(main_->isMinimized());
    main_->move(300, 300);
    main_->close();
    settings.sync();
    QCOMPARE(settings.value(QStringLiteral("Settings/frmMainLeft")).toString(), left);
}

void ShellTest::maximizedMainWindowComesBackMaximizedWithinItsScreen() {
    main_ = makeMainWindow();
    main_->showMaximized();
    QTRY_VERIFY(main_->isMaximized());
    const QRect maximized = main_->frameGeometry();
    main_->close();
    QStringList stored = GuiTest::placeLines(QStringLiteral("frmMain"), maximized);
    stored.append(QStringLiteral("Settings/frmMainMaximized=1"));
    stored.sort();
    QCOMPARE(GuiTest::storedSettings(*dir_), stored);

    main_ = makeMainWindow();
    QTRY_VERIFY(main_->isMaximized());
    const QRect screen = main_->screen()->availableGeometry();
    QVERIFY(screen.contains(main_->frameGeometry()));
    QVERIFY(
        screen.contains(main_->statusBar()->mapToGlobal(main_->statusBar()->rect().bottomRight())));
    // Left in its normal state, the place is the four keys alone again.
    main_->showNormal();
    QTRY_VERIFY(!main_->isMaximized());
    const QRect normal = main_->frameGeometry();
    QVERIFY(screen.contains(normal));
    main_->close();
    QCOMPARE(GuiTest::storedSettings(*dir_),
             GuiTest::placeLines(QStringLiteral("frmMain"), normal));
}

void ShellTest::closingClosesDocumentsFirstEachSavingItsPlace() {
    main_ = makeMainWindow();
    main_->resize(700, 600);
    QWidget* tree = addDocument(QStringLiteral("frmNSFTree"), QStringLiteral("NSF File Tree"));
    tree->parentWidget()->setGeometry(30, 40, 300, 200);
    QPointer<QWidget> watch(tree);
    const QRect mainPlace = main_->frameGeometry();
    main_->close();
    QTRY_VERIFY(!watch);

    QStringList expected =
        GuiTest::placeLines(QStringLiteral("frmMain"), mainPlace) +
        GuiTest::placeLines(QStringLiteral("frmNSFTree"), QRect(30, 40, 300, 200));
    expected.sort();
    QCOMPARE(GuiTest::storedSettings(*dir_), expected);
}

// The text of every entry a menu shows (separators as "-").
QStringList ShellTest::menuTexts(const QString& menu) {
    auto* owner = main_->findChild<QMenu*>(menu);
    if (!owner)
        return {QStringLiteral("<no menu %1>").arg(menu)};
    emit owner->aboutToShow();
    QStringList texts;
    const QList<QAction*> actions = owner->actions();
    for (const QAction* item : actions) {
        if (item->isVisible())
            texts.append(item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    return texts;
}

void ShellTest::fileNamesShowAsPlainText_data() {
    QTest::addColumn<QString>("place");
    for (const char* place : {"status panel", "status tooltip", "tree caption", "Window menu",
                              "Recent Files menu", "message box"})
        QTest::newRow(place) << QString::fromLatin1(place);
}

void ShellTest::fileNamesShowAsPlainText() {
    QFETCH(QString, place);
    // Markup, an ampersand and Qt's placeholder for a caption's modified mark.
    const QString path = QDir::toNativeSeparators(dir_->filePath(QStringLiteral("<i>R&D[*].nsf")));
    QVERIFY(QFile::copy(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")), path));
    main_ = makeMainWindow();
    main_->setViews(new DocumentViews(*main_->documents()));
    main_->openFile(path);
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
    auto* panel = main_->findChild<QLabel*>(QStringLiteral("sbStatusBarPanel1"));
    const QString inMenus = QString(path).replace(QLatin1Char('&'), QStringLiteral("&&"));

    if (place == QLatin1String("status panel")) {
        QCOMPARE(panel->textFormat(), Qt::PlainText);
        QCOMPARE(panel->text(), QStringLiteral("Opened File: ") + path);
    } else if (place == QLatin1String("status tooltip")) {
        QTextDocument shown;
        shown.setHtml(panel->toolTip());
        QCOMPARE(shown.toPlainText(), path);
    } else if (place == QLatin1String("tree caption")) {
        // A maximized document puts its caption into the main window's title.
        DocumentWindow* tree = main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
        QVERIFY(tree);
        tree->showMaximized();
        QTRY_COMPARE(main_->windowHandle()->title(),
                     QStringLiteral("Quillmark - [NSF File Tree (%1)]").arg(path));
    } else if (place == QLatin1String("Window menu")) {
        QCOMPARE(menuTexts(QStringLiteral("mnuWindow")).mid(3),
                 (QStringList{QStringLiteral("-"),
                              QStringLiteral("&1 NSF File Tree (%1)").arg(inMenus)}));
    } else if (place == QLatin1String("Recent Files menu")) {
        QCOMPARE(menuTexts(QStringLiteral("mnuFileRecent")),
                 (QStringList{QStringLiteral("&1 ") + inMenus, QStringLiteral("-"),
                              QStringLiteral("&Clear Menu")}));
    } else {
        // The box itself shows every text as plain text (CommonTest).
        QVERIFY(QFile::remove(path));
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileRecent1")));
        QCOMPARE(GuiTest::dialogs().shown().size(), 1);
        QVERIFY2(GuiTest::dialogs().shown().constFirst().text.contains(path),
                 qPrintable(GuiTest::dialogs().shown().constFirst().text));
    }
}

void ShellTest::recentFilesListTheLastEightOpened() {
    QStringList paths;
    for (int n = 1; n <= 9; ++n) {
        paths.append(
            QDir::toNativeSeparators(dir_->filePath(QStringLiteral("claims%1.nsf").arg(n))));
        QVERIFY(QFile::copy(GuiTest::dataPath(QStringLiteral("claims/v0200.nsf")), paths.last()));
    }
    auto listed = [this] {
        QStringList entries = menuTexts(QStringLiteral("mnuFileRecent"));
        entries.removeLast(); // Clear Menu
        entries.removeLast(); // its separator
        return entries;
    };
    auto entries = [&paths](std::initializer_list<int> numbers) {
        QStringList texts;
        for (int n : numbers)
            texts.append(QStringLiteral("&%1 %2").arg(texts.size() + 1).arg(paths.at(n - 1)));
        return texts;
    };

    main_ = makeMainWindow();
    QVERIFY(listed().isEmpty());
    for (const QString& path : std::as_const(paths))
        main_->openFile(path);
    // A file that does not open is not listed; one opened again moves up.
    main_->openFile(GuiTest::dataPath(QStringLiteral("claims/no-aa0.txt")));
    main_->openFile(paths.at(4));
    QCOMPARE(listed(), entries({5, 9, 8, 7, 6, 4, 3, 2}));
    QVERIFY(action(QStringLiteral("mnuFileRecent"))->isEnabled());

    // Kept between runs, in a group of their own, paths only.
    main_.reset();
    QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("RecentFiles"));
    QCOMPARE(settings.childKeys().size(), 8);
    QCOMPARE(settings.value(QStringLiteral("File1")).toString(), paths.at(4));
    main_ = makeMainWindow();
    QCOMPARE(listed(), entries({5, 9, 8, 7, 6, 4, 3, 2}));

    // Choosing one opens it; a file gone since says so and stays listed.
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileRecent3")));
    QCOMPARE(main_->statusText(), QStringLiteral("Opened File: ") + paths.at(7));
    QCOMPARE(listed(), entries({8, 5, 9, 7, 6, 4, 3, 2}));
    QVERIFY(QFile::remove(paths.at(8)));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileRecent3")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 2);
    QCOMPARE(GuiTest::dialogs().shown().constLast().title, QStringLiteral("Unable to Open File"));
    QCOMPARE(listed(), entries({8, 5, 9, 7, 6, 4, 3, 2}));

    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileRecentClear")));
    QVERIFY(listed().isEmpty());
    QVERIFY(!action(QStringLiteral("mnuFileRecent"))->isEnabled());
    settings.sync();
    QVERIFY(settings.childKeys().isEmpty());
}

void ShellTest::settingsPipeIsIgnoredAtStartUp() {
    // Reading a named pipe would block for good.
    const QString pipe = GuiTest::settingsFile(*dir_);
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("settings file .* is not a regular file")));
    main_ = makeMainWindow();
    QCOMPARE(main_->frameGeometry(), QRect(67, 67, 400, 133));
    const QString path = GuiTest::dataPath(QStringLiteral("claims/v0200.nsf"));
    main_->openFile(path);
    // The list still works for this run.
    QCOMPARE(menuTexts(QStringLiteral("mnuFileRecent")).constFirst(), QStringLiteral("&1 ") + path);
    main_->close();
    QVERIFY(!QFileInfo(pipe).isFile());
}

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
