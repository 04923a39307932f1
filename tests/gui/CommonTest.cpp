// The seams and the position memory that every window uses.
#include "GuiTest.h"
#include "core/common/MessageTexts.h"
#include "gui/common/BackgroundRelease.h"
#include "gui/common/ExportFile.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/common/SettingsStore.h"
#include "gui/common/WindowPositions.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <thread>

class CommonTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Message boxes
    void queuedAnswersAnswerWithoutShowing();
    void testModeAnswersTheSafeButton();
    void theStandInNearestUpTheParentsAnswers();
    void realBoxShowsTextTitleIconAndButtons();
    void realRetryCancelBoxReturnsTheButtonPressed();
    void coreMessagesKeepTheirBytes();

    // File dialog
    void queuedFileNamesAnswerInOrder();
    void testModeCancelsAnUnansweredDialog();
    void realDialogShowsLabelAndMatchesEveryName();

    // Window positions
    void firstRunUsesTheWindowsDefaults();
    void saveWritesFourKeysOfTwipsText();
    void savedPlaceIsRestored();
    void minimizedWindowSavesNothing();
    void unreadableValueFallsBackToItsDefault_data();
    void unreadableValueFallsBackToItsDefault();
    void placeOutOfSightFallsBackToTheDefault_data();
    void placeOutOfSightFallsBackToTheDefault();
    void documentWindowIsPlacedInTheArea();
    void realStoreIsNamedQuillmark();
    void settingsThatAreNoRegularFileAreIgnored_data();
    void settingsThatAreNoRegularFileAreIgnored();
    void restoredWindowFitsTheScreenItLandsOn_data();
    void restoredWindowFitsTheScreenItLandsOn();

    // Exports
    void exportLooksAgainBeforeItReplaces();

    // Background release
    void aValueHandedOverGoesOnAnotherThreadOnceNoOneHoldsIt();

private:
    void writeSettings(const QString& window, const QStringList& values);
    QRect pixels(float left, float top, float width, float height) const;
    std::unique_ptr<QTemporaryDir> dir_;
};

void CommonTest::initTestCase() {
    GuiTest::initTestCase();
}

void CommonTest::init() {
    dir_ = GuiTest::isolatedFolder();
}

void CommonTest::cleanup() {
    WindowPositions::setScreenAreas(qApp, {});
    GuiTest::release();
    dir_.reset();
}

void CommonTest::writeSettings(const QString& window, const QStringList& values) {
    QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Settings"));
    const QStringList parts{QStringLiteral("Left"), QStringLiteral("Top"), QStringLiteral("Width"),
                            QStringLiteral("Height")};
    for (int i = 0; i < parts.size(); ++i) {
        if (!values.at(i).isNull())
            settings.setValue(window + parts.at(i), values.at(i));
    }
}

QRect CommonTest::pixels(float left, float top, float width, float height) const {
    return QRect(qRound(left / 15), qRound(top / 15), qRound(width / 15), qRound(height / 15));
}

void CommonTest::queuedAnswersAnswerWithoutShowing() {
    GuiTest::dialogs().setBoxesUnshown(false);
    GuiTest::dialogs().setNextAnswer(qm::MessageAnswer::Retry);
    GuiTest::dialogs().setNextAnswer(qm::MessageAnswer::Cancel);
    QCOMPARE(MessageBoxes::showMessage(nullptr, QStringLiteral("first"), QStringLiteral("T1"),
                                       qm::MessageIcon::Critical, qm::MessageButtons::RetryCancel),
             qm::MessageAnswer::Retry);
    QCOMPARE(MessageBoxes::showMessage(nullptr, QStringLiteral("second"), QStringLiteral("T2")),
             qm::MessageAnswer::Cancel);

    const QList<MessageBoxes::Record>& shown = GuiTest::dialogs().shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0).text, QStringLiteral("first"));
    QCOMPARE(shown.at(0).title, QStringLiteral("T1"));
    QCOMPARE(shown.at(0).icon, qm::MessageIcon::Critical);
    QCOMPARE(shown.at(0).buttons, qm::MessageButtons::RetryCancel);
    QCOMPARE(shown.at(1).icon, qm::MessageIcon::None);
    QCOMPARE(shown.at(1).buttons, qm::MessageButtons::Ok);
}

void CommonTest::testModeAnswersTheSafeButton() {
    QCOMPARE(MessageBoxes::showMessage(nullptr, QStringLiteral("a"), QStringLiteral("b")),
             qm::MessageAnswer::Ok);
    QCOMPARE(MessageBoxes::showMessage(nullptr, QStringLiteral("a"), QStringLiteral("b"),
                                       qm::MessageIcon::None, qm::MessageButtons::RetryCancel),
             qm::MessageAnswer::Cancel);
    QVERIFY(!QApplication::activeModalWidget());
    GuiTest::dialogs().forgetBoxes();
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void CommonTest::theStandInNearestUpTheParentsAnswers() {
    QWidget window;
    auto* inside = new QWidget(&window);
    std::optional<RecordingDialogs> windows(std::in_place);
    windows->handTo(&window);
    windows->setNextAnswer(qm::MessageAnswer::Retry);
    windows->setNextFileName(QStringLiteral("/tmp/w.nsf"));
    // Over the window: its stand-in; over nothing: the application's.
    QCOMPARE(MessageBoxes::showMessage(inside, QStringLiteral("in"), QStringLiteral("T"),
                                       qm::MessageIcon::None, qm::MessageButtons::RetryCancel),
             qm::MessageAnswer::Retry);
    QCOMPARE(FileDialog::getOpenFileName(inside, FileDialog::OpenRequest()),
             QStringLiteral("/tmp/w.nsf"));
    MessageBoxes::showMessage(nullptr, QStringLiteral("out"), QStringLiteral("T"));
    QCOMPARE(windows->shown().size(), 1);
    QCOMPARE(windows->requests().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text, QStringLiteral("out"));
    // Gone, it takes itself back: the application's answers over the window.
    windows.reset();
    MessageBoxes::showMessage(inside, QStringLiteral("again"), QStringLiteral("T"));
    QCOMPARE(GuiTest::dialogs().shown().size(), 2);
    QVERIFY(!QApplication::activeModalWidget());
}

void CommonTest::realBoxShowsTextTitleIconAndButtons() {
    GuiTest::dialogs().setBoxesUnshown(false);
    QWidget owner;
    owner.show();
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("Unrecognizable File"));
        QCOMPARE(box->text(), QStringLiteral("the text"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box->parentWidget(), &owner);
        seen = true;
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(MessageBoxes::showMessage(&owner, QStringLiteral("the text"),
                                       QStringLiteral("Unrecognizable File"),
                                       qm::MessageIcon::Exclamation),
             qm::MessageAnswer::Ok);
    QVERIFY(seen);
}

void CommonTest::realRetryCancelBoxReturnsTheButtonPressed() {
    GuiTest::dialogs().setBoxesUnshown(false);
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->standardButtons(), QMessageBox::Retry | QMessageBox::Cancel);
        seen = true;
        box->button(QMessageBox::Retry)->click();
    });
    QCOMPARE(MessageBoxes::showMessage(nullptr, QStringLiteral("x"), QStringLiteral("y"),
                                       qm::MessageIcon::Critical, qm::MessageButtons::RetryCancel),
             qm::MessageAnswer::Retry);
    QVERIFY(seen);

    // A search text that looks like markup is shown as typed.
    seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        seen = true;
        box->button(QMessageBox::Ok)->click();
    });
    MessageBoxes::showMessage(nullptr, QStringLiteral("'<b>x</b>' was not found."),
                              QStringLiteral("Find/Search Result"), qm::MessageIcon::Information);
    QVERIFY(seen);

    seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen = true;
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QCOMPARE(MessageBoxes::showMessage(nullptr, QStringLiteral("x"), QStringLiteral("y"),
                                       qm::MessageIcon::Critical, qm::MessageButtons::RetryCancel),
             qm::MessageAnswer::Cancel);
    QVERIFY(seen);
}

void CommonTest::coreMessagesKeepTheirBytes() {
    MessageBoxes sink;
    qm::Message message;
    message.text = "Unable to read from map file @ line 'CA0 04.0'";
    message.title = "Error Reading Map File: nsf0200.map";
    message.icon = qm::MessageIcon::Critical;
    QCOMPARE(sink.show(message), qm::MessageAnswer::Ok);
    message.text = "caf\xc3\xa9"; // UTF-8
    sink.show(message);
    // Bytes from a file are read by the file text rule before they join a message.
    sink.show(qm::MessageTexts::mapFileUnreadable("x.map", "caf\xe9"));

    const QList<MessageBoxes::Record>& shown = GuiTest::dialogs().shown();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.at(0).text, QStringLiteral("Unable to read from map file @ line 'CA0 04.0'"));
    QCOMPARE(shown.at(0).title, QStringLiteral("Error Reading Map File: nsf0200.map"));
    QCOMPARE(shown.at(0).icon, qm::MessageIcon::Critical);
    QCOMPARE(shown.at(1).text, QString(QStringLiteral("caf") + QChar(0xe9)));
    QCOMPARE(shown.at(2).text, QString(QStringLiteral("Unable to read from map file @ line 'caf") +
                                       QChar(0xe9) + QLatin1Char('\'')));
}

void CommonTest::queuedFileNamesAnswerInOrder() {
    GuiTest::dialogs().setNextFileName(QStringLiteral("/tmp/a.nsf"));
    GuiTest::dialogs().setNextFileName(QString());
    FileDialog::OpenRequest request;
    request.caption = QStringLiteral("Open");
    request.filterLabel = QStringLiteral("All Files (*.*)");
    QCOMPARE(FileDialog::getOpenFileName(nullptr, request), QStringLiteral("/tmp/a.nsf"));
    QCOMPARE(FileDialog::getOpenFileName(nullptr, request), QString());
    QCOMPARE(GuiTest::dialogs().requests().size(), 2);
    QCOMPARE(GuiTest::dialogs().requests().at(0).caption, QStringLiteral("Open"));
    QCOMPARE(GuiTest::dialogs().requests().at(0).filterLabel, QStringLiteral("All Files (*.*)"));
}

void CommonTest::testModeCancelsAnUnansweredDialog() {
    QCOMPARE(FileDialog::getOpenFileName(nullptr, FileDialog::OpenRequest()), QString());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(GuiTest::dialogs().requests().size(), 1);
}

void CommonTest::realDialogShowsLabelAndMatchesEveryName() {
    GuiTest::dialogs().setFileDialogsUnshown(false);
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), QStringLiteral("dlgCommonDialog"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Open"));
        QCOMPARE(dialog->directory().absolutePath(), QDir(dir_->path()).absolutePath());
        // One filter, shown as its label...
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(combo);
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentText(), QStringLiteral("All Files (*.*)"));
        // ...that matches names without a dot as well.
        auto* model = dialog->findChild<QFileSystemModel*>();
        QVERIFY(model);
        QCOMPARE(model->nameFilters(), QStringList{QStringLiteral("*")});
        seen = true;
        dialog->reject();
    });
    FileDialog::OpenRequest request;
    request.objectName = QStringLiteral("dlgCommonDialog");
    request.caption = QStringLiteral("Open");
    request.filterLabel = QStringLiteral("All Files (*.*)");
    request.directory = dir_->path();
    QCOMPARE(FileDialog::getOpenFileName(nullptr, request), QString());
    QVERIFY(seen);
}

void CommonTest::firstRunUsesTheWindowsDefaults() {
    struct Case {
        const char* name;
        QRect expected;
    };
    const Case cases[] = {
        {"frmMain", pixels(1000, 1000, 6000, 2000)},
        {"frmNSFTree", pixels(1000, 1000, 6500, 6500)},
        {"frmClaimForm", pixels(1000, 1000, 6500, 6500)},
        {"frmFind", pixels(1000, 1000, 4770, 1785)},
    };
    for (const Case& c : cases) {
        QWidget window;
        WindowPositions::restore(&window, QLatin1String(c.name));
        QCOMPARE(QRect(window.pos(), window.size()), c.expected);
    }
    QCOMPARE(pixels(1000, 1000, 6000, 2000), QRect(67, 67, 400, 133));
    // Restoring reads only: the store stays empty.
    QVERIFY(!QFile::exists(GuiTest::settingsFile(*dir_)));
}

void CommonTest::saveWritesFourKeysOfTwipsText() {
    QWidget window;
    window.setGeometry(100, 120, 640, 481);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    WindowPositions::save(&window, QStringLiteral("frmMain"));

    QCOMPARE(GuiTest::storedSettings(*dir_),
             GuiTest::placeLines(QStringLiteral("frmMain"), window.frameGeometry()));
}

void CommonTest::savedPlaceIsRestored() {
    QRect saved;
    {
        QWidget window;
        WindowPositions::restore(&window, QStringLiteral("frmFind"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setGeometry(150, 90, 333, 222);
        saved = window.frameGeometry();
        WindowPositions::save(&window, QStringLiteral("frmFind"));
    }
    QWidget again;
    WindowPositions::restore(&again, QStringLiteral("frmFind"));
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.frameGeometry(), saved);
    // Another window's place is its own.
    QWidget other;
    WindowPositions::restore(&other, QStringLiteral("frmNSFTree"));
    QCOMPARE(QRect(other.pos(), other.size()), pixels(1000, 1000, 6500, 6500));
}

void CommonTest::minimizedWindowSavesNothing() {
    writeSettings(QStringLiteral("frmMain"), {QStringLiteral("1500"), QStringLiteral("1500"),
                                              QStringLiteral("7500"), QStringLiteral("4500")});
    QWidget window;
    window.setGeometry(10, 10, 200, 200);
    window.showMinimized();
    QVERIFY(window.isMinimized());
    WindowPositions::save(&window, QStringLiteral("frmMain"));
    QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Settings/frmMainLeft")).toString(),
             QStringLiteral("1500"));
    QCOMPARE(settings.value(QStringLiteral("Settings/frmMainWidth")).toString(),
             QStringLiteral("7500"));
}

void CommonTest::unreadableValueFallsBackToItsDefault_data() {
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QRect>("expected");
    const QString l = QStringLiteral("1500"), t = QStringLiteral("3000"),
                  w = QStringLiteral("4500"), h = QStringLiteral("6000");
    QTest::newRow("all readable") << QStringList{l, t, w, h} << QRect(100, 200, 300, 400);
    QTest::newRow("fraction") << QStringList{QStringLiteral("1507.5"), t, w, h}
                              << QRect(101, 200, 300, 400);
    QTest::newRow("left not a number")
        << QStringList{QStringLiteral("abc"), t, w, h} << QRect(67, 200, 300, 400);
    QTest::newRow("top empty") << QStringList{l, QStringLiteral(""), w, h}
                               << QRect(100, 67, 300, 400);
    QTest::newRow("width nan") << QStringList{l, t, QStringLiteral("nan"), h}
                               << QRect(100, 200, 400, 400);
    QTest::newRow("width infinite")
        << QStringList{l, t, QStringLiteral("inf"), h} << QRect(100, 200, 400, 400);
    QTest::newRow("height negative")
        << QStringList{l, t, w, QStringLiteral("-6000")} << QRect(100, 200, 300, 133);
    QTest::newRow("height zero") << QStringList{l, t, w, QStringLiteral("0")}
                                 << QRect(100, 200, 300, 133);
    QTest::newRow("width huge") << QStringList{l, t, QStringLiteral("1e30"), h}
                                << QRect(100, 200, 400, 400);
    QTest::newRow("height missing") << QStringList{l, t, w, QString()} << QRect(100, 200, 300, 133);
}

void CommonTest::unreadableValueFallsBackToItsDefault() {
    QFETCH(QStringList, stored);
    QFETCH(QRect, expected);
    writeSettings(QStringLiteral("frmMain"), stored);
    QWidget window;
    WindowPositions::restore(&window, QStringLiteral("frmMain"));
    QCOMPARE(QRect(window.pos(), window.size()), expected);
}

void CommonTest::placeOutOfSightFallsBackToTheDefault_data() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::addColumn<QPoint>("storedPixels");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("in sight") << QPoint(200, 100) << QPoint(200, 100);
    QTest::newRow("right of every screen") << QPoint(screen.right() + 10, 100) << QPoint(67, 67);
    QTest::newRow("below every screen") << QPoint(200, screen.bottom() + 10) << QPoint(67, 67);
    QTest::newRow("title above the screen") << QPoint(200, -300) << QPoint(67, 67);
    QTest::newRow("left of every screen") << QPoint(-500, 100) << QPoint(67, 67);
    // A window only partly on the screen, its title strip reachable, is moved
    // onto it.
    QTest::newRow("partly off the left") << QPoint(-250, 100) << QPoint(0, 100);
    QTest::newRow("maximized frame just above") << QPoint(-8, -8) << QPoint(0, 0);
}

void CommonTest::placeOutOfSightFallsBackToTheDefault() {
    QFETCH(QPoint, storedPixels);
    QFETCH(QPoint, expected);
    writeSettings(QStringLiteral("frmMain"),
                  {QString::number(storedPixels.x() * 15), QString::number(storedPixels.y() * 15),
                   QStringLiteral("4500"), QStringLiteral("3000")});
    QWidget window;
    WindowPositions::restore(&window, QStringLiteral("frmMain"));
    QCOMPARE(window.pos(), expected);
    // The stored size is kept when only the place was out of sight.
    QCOMPARE(window.size(), QSize(300, 200));
}

void CommonTest::documentWindowIsPlacedInTheArea() {
    QMdiArea area;
    area.resize(600, 500);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("frmNSFTree"));
    QMdiSubWindow* document = area.addSubWindow(content);

    // First run: the default, relative to the area.
    WindowPositions::restore(content, QStringLiteral("frmNSFTree"));
    QCOMPARE(document->geometry(), pixels(1000, 1000, 6500, 6500));

    document->setGeometry(20, 30, 200, 150);
    WindowPositions::save(content, QStringLiteral("frmNSFTree"));
    QCOMPARE(GuiTest::storedSettings(*dir_),
             GuiTest::placeLines(QStringLiteral("frmNSFTree"), QRect(20, 30, 200, 150)));
    QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Settings"));

    document->setGeometry(0, 0, 100, 100);
    WindowPositions::restore(document, QStringLiteral("frmNSFTree"));
    QCOMPARE(document->geometry(), QRect(20, 30, 200, 150));

    // A place beyond the area (saved from a larger main window) is out of reach.
    settings.setValue(QStringLiteral("frmNSFTreeLeft"), QStringLiteral("15000"));
    settings.sync();
    WindowPositions::restore(document, QStringLiteral("frmNSFTree"));
    QCOMPARE(document->geometry(), QRect(67, 67, 200, 150));

    // A minimized document keeps the values saved before.
    document->showMinimized();
    WindowPositions::save(document, QStringLiteral("frmNSFTree"));
    settings.sync();
    QCOMPARE(settings.value(QStringLiteral("frmNSFTreeLeft")).toString(), QStringLiteral("15000"));
}

void CommonTest::realStoreIsNamedQuillmark() {
    SettingsStore::setFile(QString());
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    QVERIFY(settings);
    QCOMPARE(settings->organizationName(), QStringLiteral("Quillmark"));
    QCOMPARE(settings->applicationName(), QStringLiteral("Quillmark"));
    QCOMPARE(settings->scope(), QSettings::UserScope);
    // Every file the store reads is looked at before it is opened, its own first.
    QCOMPARE(SettingsStore::files().constFirst(), settings->fileName());
}

void CommonTest::settingsThatAreNoRegularFileAreIgnored_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("said");
    QTest::newRow("named pipe") << QStringLiteral("pipe")
                                << QStringLiteral("is not a regular file");
    QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("is not a regular file");
    // Parsing 100 MB of settings would stall every start for many seconds.
    QTest::newRow("over 1 MiB") << QStringLiteral("large")
                                << QStringLiteral("is larger than 1024 KiB");
}

void CommonTest::settingsThatAreNoRegularFileAreIgnored() {
    QFETCH(QString, kind);
    QFETCH(QString, said);
    const QString path = GuiTest::settingsFile(*dir_);
    if (kind == QLatin1String("pipe")) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile large(path);
        QVERIFY(large.open(QIODevice::WriteOnly));
        large.write("[Settings]\nfrmMainLeft=15000\n");
        QVERIFY(large.resize(SettingsStore::kMaxBytes + 1));
    }
    // Said once, however often the store is asked for.
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("settings file .* ") + said));
    QVERIFY(!SettingsStore::open());

    QWidget window;
    WindowPositions::restore(&window, QStringLiteral("frmMain"));
    QCOMPARE(QRect(window.pos(), window.size()), pixels(1000, 1000, 6000, 2000));
    WindowPositions::save(&window, QStringLiteral("frmMain"));
    QVERIFY(!WindowPositions::isStored(QStringLiteral("frmMain")));
    const QFileInfo after(path);
    QVERIFY(after.exists());
    QCOMPARE(after.isFile(), kind == QLatin1String("large"));
    if (after.isFile())
        QCOMPARE(after.size(), SettingsStore::kMaxBytes + 1);
}

void CommonTest::restoredWindowFitsTheScreenItLandsOn_data() {
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("expected");
    // Two screens side by side, the first with a panel along its top.
    const QList<QRect> two{QRect(0, 20, 400, 280), QRect(400, 0, 300, 300)};
    QTest::newRow("fits as stored") << two << QRect(50, 60, 200, 100) << QRect(50, 60, 200, 100);
    QTest::newRow("490000 twips square")
        << two << QRect(67, 67, 32667, 32667) << QRect(0, 20, 400, 280);
    QTest::newRow("too large for the second screen")
        << two << QRect(450, 10, 500, 400) << QRect(400, 0, 300, 300);
    QTest::newRow("across both, centre on the second")
        << two << QRect(350, 100, 200, 100) << QRect(400, 100, 200, 100);
    QTest::newRow("under the panel") << two << QRect(100, 5, 200, 100) << QRect(100, 20, 200, 100);
    // The real screen, as it is, with whatever scale factor the run has.
    const QRect real = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::newRow("1600 by 990 on the real screen")
        << QList<QRect>() << QRect(0, 0, 1600, 990)
        << QRect(real.topLeft(), QSize(qMin(1600, real.width()), qMin(990, real.height())));
}

void CommonTest::restoredWindowFitsTheScreenItLandsOn() {
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, stored);
    QFETCH(QRect, expected);
    WindowPositions::setScreenAreas(qApp, screens);
    writeSettings(QStringLiteral("frmMain"),
                  {QString::number(stored.x() * 15), QString::number(stored.y() * 15),
                   QString::number(stored.width() * 15), QString::number(stored.height() * 15)});
    QWidget window;
    WindowPositions::restore(&window, QStringLiteral("frmMain"));
    QCOMPARE(QRect(window.pos(), window.size()), expected);
    if (screens.isEmpty()) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    }
}

// What stands at the path is looked at again once the export is written: a
// pipe put there meanwhile is not replaced, and the export is dropped.
void CommonTest::exportLooksAgainBeforeItReplaces() {
    const QString path = dir_->filePath(QStringLiteral("rows.csv"));
    const QDir folder(dir_->path());
    QStringList entries = folder.entryList(QDir::Files | QDir::System);
    QString reason;
    QVERIFY(!ExportFile::write(
        path,
        [&path](std::ostream& out) {
            out << "rows\r\n";
            return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
        },
        reason));
    QCOMPARE(reason, QStringLiteral("it is a named pipe, not a file"));
    QFileInfo pipe(path);
    QVERIFY(!pipe.isFile() && pipe.exists());
    entries << QStringLiteral("rows.csv");
    entries.sort();
    QCOMPARE(folder.entryList(QDir::Files | QDir::System), entries);
}

void CommonTest::aValueHandedOverGoesOnAnotherThreadOnceNoOneHoldsIt() {
    // Tells which thread destroyed it.
    struct Value {
        explicit Value(std::promise<std::thread::id>& gone)
            : gone_(gone) {}
        ~Value() { gone_.set_value(std::this_thread::get_id()); }
        std::promise<std::thread::id>& gone_;
    };
    std::promise<std::thread::id> gone;
    std::future<std::thread::id> destroyed = gone.get_future();
    auto value = std::make_shared<const Value>(gone);
    std::shared_ptr<const Value> kept = value;

    BackgroundRelease::drop(std::move(value));
    // Still held here: it stays.
    QCOMPARE(destroyed.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    BackgroundRelease::drop(std::move(kept));
    QCOMPARE(destroyed.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    QVERIFY(destroyed.get() != std::this_thread::get_id());
}

QTEST_MAIN(CommonTest)
#include "CommonTest.moc"
