// The find dialog: what it shows, its three buttons, Enter, Escape and the
// close box, and where it opens.
#include "GuiTest.h"
#include "gui/common/FindState.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/SettingsStore.h"
#include "gui/find/frmFind.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

class FindTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensWithTheLastTextAndItsControls();
    void findItHandsOverTheTextAsTyped();
    void enterPressesFindIt();
    void findItWithAnEmptyBoxLeavesNothingToSearch();
    void cancelEmptiesTheSearchText();
    void closeBoxKeepsTheSearchTextEvenWhenEdited();
    void escapeDoesNothing();
    void clearEmptiesTheBoxAndKeepsTheDialogOpen();
    void boxTakesAtMostFiftyCharacters();
    void keepsItsSizeAndOpensWhereItWasLeft();

private:
    // Runs the dialog modally; `drive` gets it once it is up. Returns exec()'s
    // result, or -1 when the dialog never came up.
    int runDialog(const std::function<void(frmFind&)>& drive);
    QLineEdit* box(const QWidget& dialog) const;
    QPushButton* button(const QWidget& dialog, const char* name) const;
    QString searchText() const { return state_.SearchText; }

    std::unique_ptr<QTemporaryDir> dir_;
    FindState state_;
};

void FindTest::initTestCase() {
    GuiTest::initTestCase();
}

void FindTest::init() {
    dir_ = GuiTest::isolatedFolder();
    state_ = FindState();
}

void FindTest::cleanup() {
    GuiTest::release();
    dir_.reset();
}

int FindTest::runDialog(const std::function<void(frmFind&)>& drive) {
    frmFind dialog(state_);
    bool driven = false;
    QTimer::singleShot(0, &dialog, [&] {
        if (QApplication::activeModalWidget() != &dialog) {
            dialog.done(QDialog::Rejected);
            return;
        }
        drive(dialog);
        driven = true;
    });
    const int result = dialog.exec();
    return driven ? result : -1;
}

QLineEdit* FindTest::box(const QWidget& dialog) const {
    return dialog.findChild<QLineEdit*>(QStringLiteral("txtSearch"));
}

QPushButton* FindTest::button(const QWidget& dialog, const char* name) const {
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

void FindTest::opensWithTheLastTextAndItsControls() {
    state_.SearchText = QStringLiteral("O'Donnell");
    frmFind dialog(state_);
    QCOMPARE(dialog.objectName(), QStringLiteral("frmFind"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Find"));
    QVERIFY(dialog.isModal());
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(box(dialog)->text(), QStringLiteral("O'Donnell"));

    auto* label = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Find/Search for:"));
    QCOMPARE(button(dialog, "cmdSearch")->text(), QStringLiteral("Find It!"));
    QCOMPARE(button(dialog, "cmdCancel")->text(), QStringLiteral("Cancel"));
    QCOMPARE(button(dialog, "cmdClear")->text(), QStringLiteral("Clear"));
    QVERIFY(button(dialog, "cmdSearch")->isDefault());

    // Places in twips at 15 a pixel.
    QCOMPARE(label->geometry(), QRect(8, 8, 153, 17));
    QCOMPARE(box(dialog)->geometry(), QRect(8, 24, 289, 19));
    QCOMPARE(button(dialog, "cmdSearch")->geometry(), QRect(16, 56, 57, 25));
    QCOMPARE(button(dialog, "cmdCancel")->geometry(), QRect(88, 56, 57, 25));
    QCOMPARE(button(dialog, "cmdClear")->geometry(), QRect(240, 56, 57, 25));
}

void FindTest::findItHandsOverTheTextAsTyped() {
    state_.SearchText = QStringLiteral("old");
    const int result = runDialog([&](frmFind& dialog) {
        box(dialog)->selectAll();
        QTest::keyClicks(box(dialog), QStringLiteral("Hollis, D"));
        QTest::mouseClick(button(dialog, "cmdSearch"), Qt::LeftButton);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(searchText(), QStringLiteral("Hollis, D"));
}

void FindTest::enterPressesFindIt() {
    const int result = runDialog([&](frmFind& dialog) {
        QTest::keyClicks(box(dialog), QStringLiteral("rasmussen"));
        QTest::keyClick(box(dialog), Qt::Key_Return);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(searchText(), QStringLiteral("rasmussen"));
}

void FindTest::findItWithAnEmptyBoxLeavesNothingToSearch() {
    state_.SearchText = QStringLiteral("old");
    runDialog([&](frmFind& dialog) {
        box(dialog)->clear();
        QTest::mouseClick(button(dialog, "cmdSearch"), Qt::LeftButton);
    });
    QVERIFY(state_.SearchText.isEmpty());
}

void FindTest::cancelEmptiesTheSearchText() {
    state_.SearchText = QStringLiteral("old");
    bool closed = false;
    const int result = runDialog([&](frmFind& dialog) {
        QTest::mouseClick(button(dialog, "cmdCancel"), Qt::LeftButton);
        closed = !dialog.isVisible();
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(closed);
    QVERIFY(state_.SearchText.isEmpty());
}

void FindTest::closeBoxKeepsTheSearchTextEvenWhenEdited() {
    state_.SearchText = QStringLiteral("old");
    const int result = runDialog([&](frmFind& dialog) {
        box(dialog)->setText(QStringLiteral("edited"));
        dialog.close();
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(searchText(), QStringLiteral("old"));
}

void FindTest::escapeDoesNothing() {
    state_.SearchText = QStringLiteral("old");
    bool stillOpen = false;
    runDialog([&](frmFind& dialog) {
        QTest::keyClick(box(dialog), Qt::Key_Escape);
        QTest::keyClick(button(dialog, "cmdClear"), Qt::Key_Escape);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        stillOpen = dialog.isVisible() && QApplication::activeModalWidget() == &dialog;
        dialog.close();
    });
    QVERIFY(stillOpen);
    QCOMPARE(searchText(), QStringLiteral("old"));
}

void FindTest::clearEmptiesTheBoxAndKeepsTheDialogOpen() {
    state_.SearchText = QStringLiteral("old");
    bool clearedAndOpen = false;
    bool focusInBox = false;
    QString textAfterClear = QStringLiteral("<not cleared>");
    runDialog([&](frmFind& dialog) {
        QTest::mouseClick(button(dialog, "cmdClear"), Qt::LeftButton);
        textAfterClear = box(dialog)->text();
        clearedAndOpen = dialog.isVisible() && searchText() == QStringLiteral("old");
        focusInBox = dialog.focusWidget() == box(dialog);
        QTest::keyClicks(box(dialog), QStringLiteral("new"));
        QTest::mouseClick(button(dialog, "cmdSearch"), Qt::LeftButton);
    });
    QCOMPARE(textAfterClear, QString());
    QVERIFY(clearedAndOpen);
    QVERIFY(focusInBox);
    QCOMPARE(searchText(), QStringLiteral("new"));
}

void FindTest::boxTakesAtMostFiftyCharacters() {
    runDialog([&](frmFind& dialog) {
        QTest::keyClicks(box(dialog), QString(60, QLatin1Char('x')));
        QTest::mouseClick(button(dialog, "cmdSearch"), Qt::LeftButton);
    });
    QCOMPARE(searchText(), QString(50, QLatin1Char('x')));
}

void FindTest::keepsItsSizeAndOpensWhereItWasLeft() {
    {
        QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Settings"));
        settings.setValue(QStringLiteral("frmFindLeft"), QStringLiteral("3000"));
        settings.setValue(QStringLiteral("frmFindTop"), QStringLiteral("1500"));
        settings.setValue(QStringLiteral("frmFindWidth"), QStringLiteral("9000"));
        settings.setValue(QStringLiteral("frmFindHeight"), QStringLiteral("6000"));
    }
    QPoint shownAt;
    QSize shownSize;
    QSize sizeAfterResize;
    runDialog([&](frmFind& dialog) {
        shownAt = dialog.pos();
        shownSize = dialog.size();
        dialog.resize(600, 400);
        sizeAfterResize = dialog.size();
        dialog.move(300, 150);
        QTest::mouseClick(button(dialog, "cmdSearch"), Qt::LeftButton);
    });
    QCOMPARE(shownAt, QPoint(200, 100));
    // The inner area of 4680 by 1368 twips, whatever was stored or asked for.
    QCOMPARE(shownSize, QSize(312, 91));
    QCOMPARE(sizeAfterResize, QSize(312, 91));

    auto stored = [this](const char* key) {
        QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
        return settings.value(QStringLiteral("Settings/frmFind") + QLatin1String(key)).toString();
    };
    QCOMPARE(stored("Left"), QStringLiteral("4500"));
    QCOMPARE(stored("Top"), QStringLiteral("2250"));
    // The size written is the frame's, whatever that is on this platform.
    QVERIFY(!stored("Width").isEmpty());
    QVERIFY(!stored("Height").isEmpty());

    // The close box saves the place too, and the next dialog opens there.
    runDialog([&](frmFind& dialog) {
        shownAt = dialog.pos();
        dialog.move(330, 165);
        dialog.close();
    });
    QCOMPARE(shownAt, QPoint(300, 150));
    QCOMPARE(stored("Left"), QStringLiteral("4950"));
    QCOMPARE(stored("Top"), QStringLiteral("2475"));
}

QTEST_MAIN(FindTest)
#include "FindTest.moc"
