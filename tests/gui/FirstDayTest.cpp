// What a new user meets on a first day, at fresh settings on a laptop's
// screen (CTest runs this on virtual screens of 1366 by 768 and 1024 by 768
// pixels, and the first at a scale factor of 1.5): a main window that grows
// to hold the file's windows, arrangements that use the area, and values,
// counts and exports that read the same everywhere.
#include "ClaimFormDriver.h"
#include "GuiTest.h"
#include "core/filetree/FileTree.h"
#include "core/report/SummaryReport.h"
#include "gui/claimform/RecordTreePane.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/ExportFolder.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/WindowPositions.h"
#include "gui/compare/CompareFeed.h"
#include "gui/compare/frmClaimCompare.h"
#include "gui/compare/frmCompare.h"
#include "gui/document/AppContext.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemText.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsTableView.h"
#include "gui/search/frmSearchFields.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"
#include "gui/summary/ChartView.h"
#include "gui/summary/frmSummary.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QtCharts/QAbstractBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <memory>

class FirstDayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartGivesEveryWindowRoom_data();
    void firstStartGivesEveryWindowRoom();
    void arrangementsGiveEveryWindowAShare_data();
    void arrangementsGiveEveryWindowAShare();
    void problemsColumnsShowWhatARowIsAbout();
    void noAccessKeyShadowsAMenu();
    void enterClosesAMessageWithDetails();
    void openOffersClaimFilesFirst();
    void countsReadTheSameEverywhere();
    void aSavedChartGoesWhereExportsWentAndIsConfirmed();
    void aBarTellsItsFigureOnHover();
    void aClaimOpenedFromAProblemLeavesTheListInSight();

private:
    // Starts the viewer as a first start does, on a file of samples/ (none:
    // no file), and waits for its tree's check.
    bool start(const QString& sample);
    bool waitForCheck();
    DocumentArea* documents() const { return main_->documents(); }
    DocumentWindow* document(const QString& name) const { return documents()->findDocument(name); }
    frmNSFTree* tree() const;
    // A click on a claim in the file tree; its form, or nullptr.
    frmClaimForm* openClaim(const char* key);
    // The windows shown in the document area, minimized or not.
    QList<QMdiSubWindow*> shownDocuments() const;
    // Whether the run has a scale factor: a screen too small to hold the
    // windows side by side, whatever is done.
    static bool scaled();
    static QSize smallest(const QWidget* window);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
};

void FirstDayTest::initTestCase() {
    GuiTest::initTestCase();
}

void FirstDayTest::init() {
    dir_ = GuiTest::isolatedFolder();
    context_ = std::make_unique<AppContext>();
}

void FirstDayTest::cleanup() {
    main_.reset();
    context_.reset();
    WindowPositions::setScreenAreas({});
    GuiTest::release();
    dir_.reset();
}

bool FirstDayTest::start(const QString& sample) {
    const QStringList files = sample.isEmpty()
                                  ? QStringList()
                                  : QStringList{QDir(QStringLiteral(SAMPLES_DIR)).filePath(sample)};
    main_ = Startup::run(*context_, files, QStringLiteral(MAPS_DIR));
    if (!main_ || !QTest::qWaitForWindowExposed(main_.get()))
        return false;
    return sample.isEmpty() || waitForCheck();
}

bool FirstDayTest::waitForCheck() {
    if (!QTest::qWaitFor([this] { return tree() != nullptr; }))
        return false;
    return QTest::qWaitFor(
        [this] { return tree()->problemMarks()->state() == ProblemMarks::State::Finished; });
}

frmNSFTree* FirstDayTest::tree() const {
    DocumentWindow* window = document(QStringLiteral("frmNSFTree"));
    return window ? qobject_cast<frmNSFTree*>(window->widget()) : nullptr;
}

frmClaimForm* FirstDayTest::openClaim(const char* key) {
    const std::optional<std::int64_t> node = tree()->tree().findKey(key);
    if (!node)
        return nullptr;
    tree()->activateNode(*node);
    DocumentWindow* window = document(QStringLiteral("frmClaimForm"));
    return window ? qobject_cast<frmClaimForm*>(window->widget()) : nullptr;
}

QList<QMdiSubWindow*> FirstDayTest::shownDocuments() const {
    QList<QMdiSubWindow*> shown;
    const QList<QMdiSubWindow*> windows = documents()->subWindowList();
    for (QMdiSubWindow* window : windows)
        if (window->isVisible())
            shown.append(window);
    return shown;
}

bool FirstDayTest::scaled() {
    return QGuiApplication::primaryScreen()->devicePixelRatio() > 1;
}

QSize FirstDayTest::smallest(const QWidget* window) {
    return window->minimumSizeHint().expandedTo(window->minimumSize());
}

void FirstDayTest::firstStartGivesEveryWindowRoom_data() {
    QTest::addColumn<QRect>("screen"); // empty: the real one
    QTest::newRow("laptop") << QRect();
    QTest::newRow("1920 by 1080 beside it") << QRect(0, 0, 1920, 1080);
}

void FirstDayTest::firstStartGivesEveryWindowRoom() {
    QFETCH(QRect, screen);
    if (!screen.isEmpty())
        WindowPositions::setScreenAreas({screen});
    const QRect available =
        screen.isEmpty() ? QGuiApplication::primaryScreen()->availableGeometry() : screen;
    // No file yet: the main window at its first-run place.
    QVERIFY(start(QString()));
    QCOMPARE(main_->frameGeometry(),
             QRect(GuiTest::px(1000), GuiTest::px(1000), GuiTest::px(6000), GuiTest::px(2000)));

    main_->openFile(QDir(QStringLiteral(SAMPLES_DIR)).filePath(QStringLiteral("sample301.nsf")));
    QVERIFY(waitForCheck());
    const QRect frame = main_->frameGeometry();
    if (available.width() * 9 / 10 < 1100 || available.height() * 9 / 10 < 700) {
        QVERIFY(main_->isMaximized());
        // All of it, but for a pixel lost to rounding at a scale factor.
        QVERIFY(available.contains(frame));
        QVERIFY(frame.width() >= available.width() - 1 && frame.height() >= available.height() - 1);
    } else {
        QVERIFY(!main_->isMaximized());
        QVERIFY(frame.width() <= available.width() * 9 / 10);
        QVERIFY(frame.height() <= available.height() * 9 / 10);
        QVERIFY(qAbs(frame.center().x() - available.center().x()) <= 1);
        QVERIFY(qAbs(frame.center().y() - available.center().y()) <= 1);
    }

    // The summary opens by itself beside the tree, and a claim's form below.
    QTRY_VERIFY(document(QStringLiteral("frmSummary")));
    QVERIFY(openClaim("CA0967"));
    const QRect area = documents()->viewport()->rect();
    const QStringList names{QStringLiteral("frmNSFTree"), QStringLiteral("frmSummary"),
                            QStringLiteral("frmClaimForm")};
    QList<QRect> places;
    for (const QString& name : names) {
        const DocumentWindow* window = document(name);
        QVERIFY2(window && !window->isMinimized(), qPrintable(name));
        QVERIFY2(area.contains(window->geometry()), qPrintable(name));
        QVERIFY2(window->width() >= smallest(window).width() &&
                     window->height() >= smallest(window).height(),
                 qPrintable(name));
        places.append(window->geometry());
    }
    // Side by side where the screen has room for them at all.
    if (!scaled())
        for (int i = 0; i < places.size(); ++i)
            for (int j = i + 1; j < places.size(); ++j)
                QVERIFY2(!places.at(i).intersects(places.at(j)),
                         qPrintable(names.at(i) + QStringLiteral(" over ") + names.at(j)));
}

void FirstDayTest::arrangementsGiveEveryWindowAShare_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("Cascade") << QStringLiteral("mnuWindowCascade");
    QTest::newRow("Tile Horizontal") << QStringLiteral("mnuWindowTileHorizontal");
    QTest::newRow("Tile Vertical") << QStringLiteral("mnuWindowTileVertical");
}

void FirstDayTest::arrangementsGiveEveryWindowAShare() {
    QFETCH(QString, command);
    QVERIFY(start(QStringLiteral("faults301.nsf")));
    QTRY_VERIFY(document(QStringLiteral("frmSummary")));
    QVERIFY(openClaim("CA0967"));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    QVERIFY(GuiTest::triggerAction(main_.get(), command));

    const QRect area = documents()->viewport()->rect();
    const QList<QMdiSubWindow*> windows = shownDocuments();
    QCOMPARE(windows.size(), 4);
    for (const QMdiSubWindow* window : windows) {
        const QString name = window->widget()->objectName();
        QVERIFY2(!window->isMinimized() && area.contains(window->geometry()), qPrintable(name));
        QVERIFY2(window->width() >= smallest(window).width() &&
                     window->height() >= smallest(window).height(),
                 qPrintable(name));
        if (command == QLatin1String("mnuWindowCascade") && !scaled())
            QVERIFY2(window->width() > area.width() / 2 && window->height() > area.height() / 2,
                     qPrintable(name));
        if (command != QLatin1String("mnuWindowCascade") && !scaled())
            for (const QMdiSubWindow* other : windows)
                QVERIFY2(
                    other == window || !other->geometry().intersects(window->geometry()),
                    qPrintable(name + QStringLiteral(" over ") + other->widget()->objectName()));
    }

    // A narrow claim form takes from the record list first, down to what its
    // keys need, so that the grid keeps the room it was given.
    DocumentWindow* form = document(QStringLiteral("frmClaimForm"));
    form->resize(smallest(form).width(), form->height());
    auto* split = form->findChild<QSplitter*>(QStringLiteral("splitClaimForm"));
    auto* records = form->findChild<RecordTreePane*>(QStringLiteral("PictureTree"));
    const int total = split->width() - split->handleWidth();
    QCOMPARE(split->sizes().value(0), std::max(records->keysWidth(), total - GuiTest::px(4740)));
}

void FirstDayTest::problemsColumnsShowWhatARowIsAbout() {
    QVERIFY(start(QStringLiteral("faults301.nsf")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    DocumentWindow* window = document(QStringLiteral("frmProblems"));
    QVERIFY(window);
    ResultsTableView* table = qobject_cast<frmProblems*>(window->widget())->table();
    // As wide as the rows in view need, within the widest a column is made.
    const int widest = 48 * table->fontMetrics().averageCharWidth();
    auto whole = [&](const QList<int>& columns) {
        for (int column : columns)
            if (table->columnWidth(column) < qMin(table->sizeHintForColumn(column), widest))
                return false;
        return true;
    };
    // Kind and Name read whole as it opens; the node's text and the values give way.
    QTRY_VERIFY(whole({ProblemTableModel::Kind, ProblemTableModel::Name}));
    // The room a maximized window adds goes to the columns cut, not the last alone.
    window->showMaximized();
    QTRY_VERIFY(
        whole({ProblemTableModel::Where, ProblemTableModel::Line, ProblemTableModel::Kind,
               ProblemTableModel::Record, ProblemTableModel::Field, ProblemTableModel::Name}));
}

void FirstDayTest::noAccessKeyShadowsAMenu() {
    QVERIFY(start(QStringLiteral("faults301.nsf")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    QList<QKeySequence> menus;
    const QList<QAction*> menuActions = main_->menuBar()->actions();
    for (const QAction* menu : menuActions)
        menus.append(QKeySequence::mnemonic(menu->text()));
    QCOMPARE(menus.size(), 5);
    // The problems window as the user opens it; the comparison windows, the
    // search results' table and filter being the problems window's own.
    frmCompare compare(CompareFeed::of(*context_->document()));
    frmClaimCompare sideBySide;
    const QList<const QWidget*> windows{document(QStringLiteral("frmProblems"))->widget(), &compare,
                                        &sideBySide};
    for (const QWidget* window : windows) {
        QStringList texts;
        for (const QLabel* label : window->findChildren<QLabel*>())
            texts.append(label->text());
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
            texts.append(button->text());
        for (const QString& text : texts)
            QVERIFY2(QKeySequence::mnemonic(text).isEmpty() ||
                         !menus.contains(QKeySequence::mnemonic(text)),
                     qPrintable(window->objectName() + QStringLiteral(": ") + text));
    }
}

void FirstDayTest::enterClosesAMessageWithDetails() {
    // A real box, as the totals message is while the user walks claims.
    MessageBoxes::setTestMode(false);
    QString focused;
    bool closedByEnter = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        QWidget* focus = box->focusWidget() ? box->focusWidget() : box;
        auto* button = qobject_cast<QAbstractButton*>(focus);
        focused = button ? button->text() : QString();
        QTest::keyClick(focus, Qt::Key_Return);
        closedByEnter = !box->isVisible();
        box->done(QMessageBox::Cancel);
    });
    const qm::MessageAnswer answer = MessageBoxes::showMessage(
        nullptr, QStringLiteral("Totals do not compute."), QStringLiteral("Totals"),
        qm::MessageIcon::Exclamation, qm::MessageButtons::Ok, QStringLiteral("Details"));
    MessageBoxes::setTestMode(true);
    QCOMPARE(focused, QStringLiteral("OK"));
    QVERIFY(closedByEnter);
    QCOMPARE(answer, qm::MessageAnswer::Ok);
}

void FirstDayTest::openOffersClaimFilesFirst() {
    QVERIFY(start(QString()));
    FileDialog::setTestMode(false);
    QStringList offered;
    QString chosen;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* combo =
            dialog ? dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")) : nullptr;
        for (int i = 0; combo && i < combo->count(); ++i)
            offered.append(combo->itemText(i));
        chosen = combo ? combo->currentText() : QString();
        if (dialog)
            dialog->reject();
    });
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileOpen")));
    FileDialog::setTestMode(true);
    QCOMPARE(offered, (QStringList{QStringLiteral("NSF claim files (*.nsf)"),
                                   QStringLiteral("All Files (*.*)")}));
    // The designed filter, every name, is the one in effect at first.
    QCOMPARE(chosen, QStringLiteral("All Files (*.*)"));
}

void FirstDayTest::countsReadTheSameEverywhere() {
    // Thousands grouped, whatever the desktop's language, as money is.
    QCOMPARE(ProblemText::counts(3301455, 1, 0), QStringLiteral("3,301,455 claims, 1 batch"));
    // One claim of six holds its control number.
    QVERIFY(start(QStringLiteral("sample301.nsf")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSearchFields")));
    auto* panel = main_->findChild<frmSearchFields*>();
    QVERIFY(panel);
    panel->findChild<QLineEdit*>(QStringLiteral("txtSearchFor"))
        ->setText(QStringLiteral("RM000000006"));
    QTest::mouseClick(panel->findChild<QPushButton*>(QStringLiteral("cmdSearch")), Qt::LeftButton);
    QTRY_VERIFY(panel->status().startsWith(QLatin1String("Found")));
    QVERIFY2(panel->status().endsWith(QLatin1String(" in 1 claim (6 claims searched).")),
             qPrintable(panel->status()));
}

void FirstDayTest::aSavedChartGoesWhereExportsWentAndIsConfirmed() {
    QVERIFY(start(QStringLiteral("sample301.nsf")));
    QTRY_VERIFY(document(QStringLiteral("frmSummary")));
    auto* summary = qobject_cast<frmSummary*>(document(QStringLiteral("frmSummary"))->widget());
    // The last export went to a folder of its own.
    const QString folder = QDir(dir_->path()).filePath(QStringLiteral("exports"));
    QVERIFY(QDir().mkpath(folder));
    ExportFolder::remember(QDir(folder).filePath(QStringLiteral("claim.csv")));
    const QString path = QDir(folder).filePath(QStringLiteral("months.png"));
    FileDialog::setNextFileName(path);
    summary->chartView(QStringLiteral("chtMonths"))
        ->menu()
        ->findChild<QAction*>(QStringLiteral("mnuChartSavePng"))
        ->trigger();
    QCOMPARE(QFileInfo(FileDialog::saveRequests().constLast().fileName).absolutePath(), folder);
    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(main_->confirmation(), QStringLiteral("Saved chart to ") + path);
}

void FirstDayTest::aBarTellsItsFigureOnHover() {
    QVERIFY(start(QStringLiteral("sample301.nsf")));
    QTRY_VERIFY(document(QStringLiteral("frmSummary")));
    auto* summary = qobject_cast<frmSummary*>(document(QStringLiteral("frmSummary"))->widget());
    QTRY_VERIFY(!summary->chartsPending());
    const QList<QAbstractSeries*> series =
        summary->chartView(QStringLiteral("chtBatches"))->chart()->series();
    QVERIFY(!series.isEmpty());
    QBarSet* claimCharges =
        static_cast<QAbstractBarSeries*>(series.constFirst())->barSets().value(0);
    QVERIFY(claimCharges);
    emit claimCharges->hovered(true, 1);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("Batch: 2\nClaim charges: ") +
                                       QString::fromStdString(qm::SummaryReport::money(
                                           summary->statistics()->perBatch.at(1).money.charges)));
}

void FirstDayTest::aClaimOpenedFromAProblemLeavesTheListInSight() {
    QVERIFY(start(QStringLiteral("faults301.nsf")));
    QTRY_VERIFY(document(QStringLiteral("frmSummary")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    DocumentWindow* problems = document(QStringLiteral("frmProblems"));
    QVERIFY(problems);
    // The batch's row: its trailer opens in a claim form.
    auto* list = qobject_cast<frmProblems*>(problems->widget());
    emit list->table()->activated(list->table()->model()->index(2, 0));
    DocumentWindow* form = nullptr;
    QTRY_VERIFY((form = document(QStringLiteral("frmClaimForm"))));
    // The list the user walks stays in sight: the form covers the others first.
    const QRect covered = form->geometry() & problems->geometry();
    QVERIFY2(qint64(covered.width()) * covered.height() * 2 <
                 qint64(problems->width()) * problems->height(),
             qPrintable(QStringLiteral("%1 of %2")
                            .arg(covered.width() * covered.height())
                            .arg(problems->width() * problems->height())));
}

QTEST_MAIN(FirstDayTest)
#include "FirstDayTest.moc"
