// Node clicks on the sample files: the claim form that each click fills and
// shows, the totals message, grid clicks on real records, the single reused
// form, and clicks after the file was closed.
#include "ClaimFormDriver.h"
#include "GuiTest.h"
#include "core/filetree/TreeBuilder.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/PlainText.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/common/SettingsStore.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/filetree/FileTreeModel.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/ClaimFormCommands.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

namespace {

const QString kSample301 = QStringLiteral(SAMPLES_DIR "/sample301.nsf");
const QString kSample200 = QStringLiteral(SAMPLES_DIR "/sample200.nsf");

const auto px = GuiTest::px;

} // namespace

class ClaimTaskTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // What each kind of node shows
    void fileHeaderShowsItsRecordAlone();
    void batchWithASecondHeaderLineShowsIt();
    void batchWithoutASecondHeaderLine();
    void claimShowsEveryRecordWithRepeatingServiceLines();

    // The totals check
    void wrongTotalsGiveOneMessageAndRedCellsForTheWrongFieldsOnly();
    void valuesShowAsAPersonReadsThem_data();
    void valuesShowAsAPersonReadsThem();
    void totalsMessageComesOverTheFormShowingItsClaim_data();
    void totalsMessageComesOverTheFormShowingItsClaim();
    void totalsMessageCanBeTurnedOffAndStaysSo();
    void formNamesItsClaimAsTheTreeDoes_data();
    void formNamesItsClaimAsTheTreeDoes();

    // Working in the form
    void gridClickOnARealRecordSelectsTheFieldAndDescribesIt();
    void resizingBelowTheSmallestSizeSnapsBack();
    void everyRecordShowsAValueAndItsLineAtAnySize_data();
    void everyRecordShowsAValueAndItsLineAtAnySize();

    // The one form
    void oneFormIsReusedAndBroughtForward();
    void closedFormIsMadeAgainAtItsRememberedPlace();

    // Export
    void exportWritesWhatTheCommandLineToolPrints();
    void exportThatCannotBeWrittenSaysWhy();

    // What a click could not read
    void unreadRecordShowsNothingOfTheFileBefore();

    // The windows of one file go when another is opened or the file closed
    void windowsFollowTheOpenFile_data();
    void windowsFollowTheOpenFile();

    // The whole task as a user does it, from start-up through the file tree
    void walkTheMainTaskThroughTheFileTree();

private:
    void openSample(const QString& path);
    // The walk's start: the program started from the map folder with the
    // sample on its command line, and its steps at the claim with wrong totals.
    void startFromTheMapFolder();
    void wrongTotalsAndTheirGrid();
    void click(const char* key);
    frmClaimForm* form() const {
        return GuiTest::view<frmClaimForm>(*main_, QStringLiteral("frmClaimForm"));
    }
    DocumentWindow* formDocument() const {
        return main_->documents()->findDocument(QStringLiteral("frmClaimForm"));
    }
    ClaimFormDriver ui() const { return ClaimFormDriver(form()); }
    // Clicks every record of every claim of the open sample; false (with a
    // warning naming the record) when one shows no value or no raw line.
    bool everyRecordShowsAValueAndItsLine();
    // The 320 characters of the sample's record at a 1-based byte position.
    QString sampleLine(qint64 position) const;
    int slotOf(const char* type, const char* fieldId) const {
        return context_->layouts()->find(type)->indexOf(fieldId) + 1;
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
    QPointer<DocumentViews> views_;
    QByteArray sample_;
};

void ClaimTaskTest::initTestCase() {
    GuiTest::initTestCase();
    QFile file(kSample301);
    QVERIFY(file.open(QIODevice::ReadOnly));
    sample_ = file.readAll();
}

void ClaimTaskTest::init() {
    dir_ = GuiTest::isolatedFolder();
    context_ = GuiTest::context();
    context_->setMapFolders({MAPS_DIR});
    main_ = std::make_unique<frmMain>(*context_);
    main_->show();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    // Large enough for the form at its first-run place to be in sight.
    main_->resize(1200, 900);
    QTRY_COMPARE(main_->size(), QSize(1200, 900));
    // The views show the claim form of each click; the main window is given
    // them only where its tree window is wanted too.
    views_ = new DocumentViews(*main_->documents());
    new ClaimFormCommands(*main_);
    openSample(kSample301);
}

void ClaimTaskTest::cleanup() {
    main_.reset();
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

void ClaimTaskTest::openSample(const QString& path) {
    main_->openFile(path);
    ClaimDocument* document = context_->document();
    QVERIFY(document);
    views_->follow(document);
    QVERIFY(document->buildTree());
}

void ClaimTaskTest::click(const char* key) {
    ClaimDocument* document = context_->document();
    const std::optional<std::int64_t> node = document->tree()->findKey(key);
    QVERIFY2(node, key);
    document->clickNode(*node);
}

QString ClaimTaskTest::sampleLine(qint64 position) const {
    return QString::fromLatin1(sample_.mid(position - 1, 320));
}

// What each kind of node shows

void ClaimTaskTest::fileHeaderShowsItsRecordAlone() {
    click("AA01");
    QVERIFY(form());
    QCOMPARE(ui().nodes(), QStringList{QStringLiteral("AA0")});
    QCOMPARE(ui().selectedKey(), QStringLiteral("AA0"));
    QCOMPARE(ui().fieldRows(), int(context_->layouts()->find("AA0")->fieldCount()));
    QCOMPARE(ui().value(1), QStringLiteral("AA0"));
    QVERIFY(ui().tbRecord()->text().isEmpty());
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    DocumentWindow* document = formDocument();
    QVERIFY(document);
    QCOMPARE(document->widget(), static_cast<QWidget*>(form()));
    QCOMPARE(document->windowTitle(), QStringLiteral("Claim Form"));
    QCOMPARE(main_->documents()->activeSubWindow(), document);
    QVERIFY(form()->isVisible());

    QVERIFY(ui().clickNode(QStringLiteral("AA0")));
    QCOMPARE(ui().tbRecord()->text(), sampleLine(1));
}

void ClaimTaskTest::batchWithASecondHeaderLineShowsIt() {
    click("BA0323");
    QCOMPARE(ui().nodes(), (QStringList{QStringLiteral("AA0"), QStringLiteral("BA0<AA0"),
                                        QStringLiteral("BA1<AA0")}));
    QCOMPARE(ui().selectedKey(), QStringLiteral("BA0"));
    QVERIFY(ui().clickNode(QStringLiteral("BA1")));
    QCOMPARE(ui().tbRecord()->text(), sampleLine(645));
    QVERIFY(ui().clickNode(QStringLiteral("BA0")));
    QCOMPARE(ui().tbRecord()->text(), sampleLine(323));
}

void ClaimTaskTest::batchWithoutASecondHeaderLine() {
    click("BA011915");
    QCOMPARE(ui().nodes(), (QStringList{QStringLiteral("AA0"), QStringLiteral("BA0<AA0")}));
    QCOMPARE(ui().selectedKey(), QStringLiteral("BA0"));
    QVERIFY(ui().clickNode(QStringLiteral("BA0")));
    QCOMPARE(ui().tbRecord()->text(), sampleLine(11915));
}

void ClaimTaskTest::claimShowsEveryRecordWithRepeatingServiceLines() {
    click("CA0967");
    const QStringList nodes = ui().nodes();
    for (const char* expected :
         {"AA0", "BA0<AA0", "ZA0<AA0", "BA1<BA0", "CA0<BA0", "YA0<BA0", "DA0-1<CA0", "DA1-1<CA0",
          "DA2-1<CA0", "EA0<CA0", "EA1<CA0", "FA0-1<CA0", "FA0-2<CA0", "FA0-3<CA0", "FB0-1<CA0",
          "FB0-2<CA0", "XA0<CA0"})
        QVERIFY2(nodes.contains(QLatin1String(expected)), expected);
    QCOMPARE(nodes.size(), 17);
    QCOMPARE(ui().selectedKey(), QStringLiteral("CA0"));
    QVERIFY(ui().node(QStringLiteral("CA0"))->isExpanded());
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // Each FA0 node shows its own line of the claim.
    const QPair<const char*, qint64> lines[] = {{"FA0-1", 2899}, {"FA0-2", 3543}, {"FA0-3", 3865}};
    for (const auto& [key, position] : lines) {
        QVERIFY(ui().clickNode(QLatin1String(key)));
        QCOMPARE(ui().tbRecord()->text(), sampleLine(position));
        QCOMPARE(ui().value(2), QString::number(position == 2899   ? 1
                                                : position == 3543 ? 2
                                                                   : 3)
                                    .rightJustified(2, QLatin1Char('0')));
    }

    // Right totals: no red cell in the claim trailer.
    QVERIFY(ui().clickNode(QStringLiteral("XA0")));
    for (int row = 1; row <= ui().fieldRows(); ++row)
        QCOMPARE(ui().valueCell(row)->background().color(), QColor(255, 255, 255));
}

// The totals check

void ClaimTaskTest::wrongTotalsGiveOneMessageAndRedCellsForTheWrongFieldsOnly() {
    click("CA04831");
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    const MessageBoxes::Record& box = GuiTest::dialogs().shown().constFirst();
    QCOMPARE(box.text, QStringLiteral("XA0 Record totals do not compute!"));
    QCOMPARE(box.title, QStringLiteral("XA0 Record Error"));
    QCOMPARE(box.icon, qm::MessageIcon::Exclamation);
    QCOMPARE(box.buttons, qm::MessageButtons::Ok);
    QCOMPARE(box.detailedText, QStringLiteral("Total Claim Charges: the XA0 states $157.51, the "
                                              "lines add up to $157.50"));

    // The form opens as usual after the message.
    QVERIFY(formDocument());
    QCOMPARE(ui().selectedKey(), QStringLiteral("CA0"));
    QVERIFY(ui().nodes().contains(QStringLiteral("DA0-2<CA0")));

    QVERIFY(ui().clickNode(QStringLiteral("XA0")));
    QCOMPARE(ui().tbRecord()->text(), sampleLine(8695));
    QList<int> red;
    for (int row = 1; row <= ui().fieldRows(); ++row) {
        if (ui().valueCell(row)->background().color() == QColor(255, 0, 0)) {
            red.append(row);
            QCOMPARE(ui().valueCell(row)->foreground().color(), QColor(255, 255, 255));
        }
    }
    QCOMPARE(red, QList<int>{slotOf("XA0", "12.0")});
    QCOMPARE(ui().name(red.constFirst()), QStringLiteral("Total Claim Charges"));

    // A second click on the same claim gives the same message and marks.
    GuiTest::dialogs().forgetBoxes();
    GuiTest::dialogs().setBoxesUnshown(true);
    click("CA04831");
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
}

// Money as money, dates as dates, codes with their meaning, as the format
// file beside the map says; what the file holds is in the tooltip. The name
// of each record type is in the record tree's tooltip.
void ClaimTaskTest::valuesShowAsAPersonReadsThem_data() {
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("nodeTip");
    const QString header = QStringLiteral("CA0 \u2014 Claim header");
    const QString line = QStringLiteral("FA0-1 \u2014 Service line");
    QTest::newRow("date") << "CA0"
                          << "08.0"
                          << "1983-06-02"
                          << "Stored as 19830602" << header;
    QTest::newRow("code") << "CA0"
                          << "09.0"
                          << "M \u2014 Male"
                          << "Stored as M" << header;
    QTest::newRow("plain") << "CA0"
                           << "04.0"
                           << "GALLOWAY"
                           << "" << header;
    QTest::newRow("money") << "FA0-1"
                           << "13.0"
                           << "$125.50"
                           << "Stored as 0012550" << line;
    QTest::newRow("tenths") << "FA0-1"
                            << "18.0"
                            << "1.0"
                            << "Stored as 0010" << line;
    QTest::newRow("place of service") << "FA0-1"
                                      << "07.0"
                                      << "11 \u2014 Office"
                                      << "Stored as 11" << line;
    QTest::newRow("a total that does not compute")
        << "XA0"
        << "12.0"
        << "$157.51"
        << "Total Claim Charges: the XA0 states $157.51, the lines add up to $157.50\nStored as "
           "0015751"
        << "XA0 \u2014 Claim trailer";
}

void ClaimTaskTest::valuesShowAsAPersonReadsThem() {
    QFETCH(QString, node);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QFETCH(QString, toolTip);
    QFETCH(QString, nodeTip);
    click("CA04831");
    QVERIFY(ui().clickNode(node));
    const int row = slotOf(node.left(3).toLatin1().constData(), field.toLatin1().constData());
    QCOMPARE(ui().value(row), shown);
    QCOMPARE(ui().valueCell(row)->toolTip(),
             toolTip.isEmpty() ? QString() : PlainText::toolTip(toolTip));
    QCOMPARE(ui().node(node)->toolTip(0), nodeTip);
}

void ClaimTaskTest::totalsMessageComesOverTheFormShowingItsClaim_data() {
    QTest::addColumn<bool>("formOpen");
    QTest::newRow("first form") << false;
    QTest::newRow("form open on another claim") << true;
}

void ClaimTaskTest::totalsMessageComesOverTheFormShowingItsClaim() {
    QFETCH(bool, formOpen);
    if (formOpen) {
        click("CA0967");
        QVERIFY(ui().clickNode(QStringLiteral("FA0-3")));
    }
    GuiTest::dialogs().setBoxesUnshown(false);
    bool checked = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("XA0 Record totals do not compute!"));
        // The form behind it is in sight and shows the claim the message is about.
        QVERIFY(formDocument());
        QVERIFY(form()->isVisible());
        QVERIFY(!ui().node(QStringLiteral("FA0-3")));
        QVERIFY(ui().node(QStringLiteral("DA0-2")));
        QCOMPARE(ui().selectedKey(), QStringLiteral("CA0"));
        QVERIFY(ui().node(QStringLiteral("CA0"))->isExpanded());
        QVERIFY(ui().fieldRows() > 0);
        checked = true;
        box->accept();
    });
    click("CA04831");
    QVERIFY(checked);
    QCOMPARE(ui().selectedKey(), QStringLiteral("CA0"));
}

void ClaimTaskTest::totalsMessageCanBeTurnedOffAndStaysSo() {
    auto* command = main_->findChild<QAction*>(QStringLiteral("mnuToolsTotalsMessage"));
    QVERIFY(command);
    QVERIFY(command->isCheckable());
    QVERIFY(command->isChecked());
    QCOMPARE(command->text(), QStringLiteral("Show &Totals Message"));
    // In the Tools menu, before the item that is never enabled.
    const QList<QAction*> tools = main_->findChild<QMenu*>(QStringLiteral("mnuTools"))->actions();
    QVERIFY(tools.indexOf(command) >= 0);
    QCOMPARE(tools.at(tools.indexOf(command) + 1)->objectName(), QStringLiteral("mnuToolsOptions"));

    command->trigger();
    QVERIFY(!command->isChecked());
    click("CA04831");
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
    // The marks still tell it.
    QVERIFY(ui().clickNode(QStringLiteral("XA0")));
    QCOMPARE(ui().valueCell(slotOf("XA0", "12.0"))->background().color(), QColor(255, 0, 0));

    // Remembered for the next run.
    main_.reset();
    main_ = std::make_unique<frmMain>(*context_);
    new ClaimFormCommands(*main_);
    QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuToolsTotalsMessage"))->isChecked());
    QVERIFY(!ClaimDocument::showsTotalsMessage());
}

void ClaimTaskTest::formNamesItsClaimAsTheTreeDoes_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::newRow("claim") << "CA04831"
                           << "CA0: GALLOWAY, MABEL (GM000000002), in BA0: 163376737 - "
                              "LINDQVIST, DESMOND";
    QTest::newRow("batch") << "BA0323"
                           << "BA0: 163376737 - LINDQVIST, DESMOND, in AA0: QMSUBMITTER0001";
    QTest::newRow("file header") << "AA01"
                                 << "AA0: QMSUBMITTER0001";
}

void ClaimTaskTest::formNamesItsClaimAsTheTreeDoes() {
    QFETCH(QString, key);
    QFETCH(QString, name);
    click(key.toLatin1().constData());
    auto* label = form()->findChild<QLabel*>(QStringLiteral("lblClaim"));
    QVERIFY(label);
    QCOMPARE(label->text(), name);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QVERIFY(label->isVisible());
    // Above the panes, and the caption stays the form's own.
    QVERIFY(
        label->geometry().bottom() <
        form()->findChild<QWidget*>(QStringLiteral("PictureGrid"))->mapTo(form(), QPoint()).y());
    QCOMPARE(form()->windowTitle(), QStringLiteral("Claim Form"));
}

// Working in the form

void ClaimTaskTest::gridClickOnARealRecordSelectsTheFieldAndDescribesIt() {
    click("CA0967");
    QVERIFY(ui().clickNode(QStringLiteral("FA0-1")));
    const int charges = slotOf("FA0", "13.0");
    QCOMPARE(ui().name(charges), QStringLiteral("Line Charges"));
    QVERIFY(ui().clickGridRow(charges));
    QCOMPARE(ui().tbRecord()->selectionStart(), 70);
    QCOMPARE(ui().tbRecord()->selectedText(), sampleLine(2899).mid(70, 7));
    QCOMPARE(ui().panelTexts(),
             (QStringList{QStringLiteral("FA0 : 13.0"), QStringLiteral("71 - 77"),
                          QStringLiteral("7"), QStringLiteral("NR")}));
    QTRY_VERIFY(ui().tbRecord()->hasFocus());

    // The header row changes nothing.
    QVERIFY(ui().clickHeader(1));
    QCOMPARE(ui().panel(1)->text(), QStringLiteral("FA0 : 13.0"));
    QCOMPARE(ui().tbRecord()->selectedText(), sampleLine(2899).mid(70, 7));

    // Another record empties panels 1 to 3; panel 4 keeps the last field's type letters.
    QVERIFY(ui().clickNode(QStringLiteral("XA0")));
    QCOMPARE(ui().panelTexts(), (QStringList{{}, {}, {}, QStringLiteral("NR")}));
    QCOMPARE(ui().tbRecord()->text(), sampleLine(4509));
    QVERIFY(ui().clickGridRow(slotOf("XA0", "07.0")));
    QCOMPARE(ui().panel(1)->text(), QStringLiteral("XA0 : 07.0"));
    QCOMPARE(ui().tbRecord()->selectedText(), sampleLine(4509).mid(28, 2));
}

void ClaimTaskTest::resizingBelowTheSmallestSizeSnapsBack() {
    click("CA0967");
    DocumentWindow* document = formDocument();
    QVERIFY(document);
    document->resize(px(4000), px(3000));
    QCOMPARE(document->size(), QSize(px(5000), px(5000)));
    document->resize(px(7000), px(4999));
    QCOMPARE(document->size(), QSize(px(7000), px(5000)));
}

void ClaimTaskTest::everyRecordShowsAValueAndItsLineAtAnySize_data() {
    QTest::addColumn<QString>("stored");  // both splitters' stored sizes; empty: none
    QTest::addColumn<QString>("arrange"); // a Window command; empty: none
    QTest::newRow("first run") << QString() << QString();
    QTest::newRow("after Cascade") << QString() << "mnuWindowCascade";
    QTest::newRow("after Tile Horizontal") << QString() << "mnuWindowTileHorizontal";
    QTest::newRow("after Tile Vertical") << QString() << "mnuWindowTileVertical";
    QTest::newRow("stored 0 0") << "0 0" << QString();
    QTest::newRow("stored 6780 0") << "6780 0" << QString();
    QTest::newRow("stored 0 6780") << "0 6780" << QString();
    QTest::newRow("stored huge") << "999999 999999" << QString();
    QTest::newRow("stored negative") << "-300 7000" << QString();
    QTest::newRow("stored huge, then Cascade") << "999999 15"
                                               << "mnuWindowCascade";
}

void ClaimTaskTest::everyRecordShowsAValueAndItsLineAtAnySize() {
    QFETCH(QString, stored);
    QFETCH(QString, arrange);
    if (!stored.isEmpty()) {
        QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Splitters/splitClaimForm"), stored);
        settings.setValue(QStringLiteral("Splitters/splitRecord"), stored);
    }
    click("CA0967");
    QVERIFY(formDocument());
    QCOMPARE(formDocument()->size(), QSize(px(6500), px(6500)));
    if (!arrange.isEmpty()) {
        QVERIFY(GuiTest::triggerAction(main_.get(), arrange));
        QTest::qWait(20);
    }
    QVERIFY(everyRecordShowsAValueAndItsLine());

    // What the form leaves in the settings holds as well.
    formDocument()->close();
    QTRY_VERIFY(!form());
    click("CA0967");
    QVERIFY(everyRecordShowsAValueAndItsLine());
}

bool ClaimTaskTest::everyRecordShowsAValueAndItsLine() {
    const qm::FileTree& tree = *context_->document()->file().tree();
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0")
            continue;
        click(tree.key(node).c_str());
        const QStringList nodes = ui().nodes();
        for (const QString& entry : nodes) {
            const QString key = entry.section(QLatin1Char('<'), 0, 0);
            const QString where = QString::fromStdString(tree.key(node)) + QLatin1Char(' ') + key;
            if (!ui().clickNode(key)) {
                qWarning("%s: the node cannot be clicked", qPrintable(where));
                return false;
            }
            QTableWidget* grid = ui().grid();
            const QRect view = grid->viewport()->rect();
            const int valuesFrom = std::max(grid->columnViewportPosition(1), ui().names()->width());
            const int valuesTo =
                std::min(grid->columnViewportPosition(1) + grid->columnWidth(1), view.width());
            const QRect firstValue = grid->visualItemRect(ui().valueCell(1)) & view;
            if (!grid->isVisible() || valuesTo - valuesFrom <= 0 || firstValue.isEmpty()) {
                qWarning("%s: no value in sight (grid %dx%d, values %d to %d)", qPrintable(where),
                         view.width(), view.height(), valuesFrom, valuesTo);
                return false;
            }
            RecordLineEdit* line = ui().tbRecord();
            const QRect lineInForm(line->mapTo(form(), QPoint()), line->size());
            if (!line->isVisible() || line->text().isEmpty() || line->width() <= 0 ||
                line->height() != px(285) || !form()->rect().contains(lineInForm)) {
                qWarning("%s: the raw line has no room (%dx%d at %d,%d)", qPrintable(where),
                         line->width(), line->height(), lineInForm.x(), lineInForm.y());
                return false;
            }
        }
    }
    return true;
}

// The one form

void ClaimTaskTest::oneFormIsReusedAndBroughtForward() {
    click("AA01");
    QPointer<frmClaimForm> first = form();
    DocumentWindow* document = formDocument();
    click("BA011915");
    QCOMPARE(form(), first.data());
    QCOMPARE(formDocument(), document);
    QCOMPARE(main_->documents()->subWindowList().size(), 1);
    QCOMPARE(ui().nodes(), (QStringList{QStringLiteral("AA0"), QStringLiteral("BA0<AA0")}));

    // Behind another document, or minimized: the next click brings it forward.
    auto* other = new QWidget;
    other->setObjectName(QStringLiteral("otherDocument"));
    main_->documents()->addDocument(other);
    QVERIFY(main_->documents()->activeSubWindow() != document);
    click("CA09017");
    QCOMPARE(main_->documents()->activeSubWindow(), document);

    document->showMinimized();
    QTRY_VERIFY(document->isMinimized());
    click("CA0967");
    QVERIFY(!document->isMinimized());
    QCOMPARE(main_->documents()->activeSubWindow(), document);
    QCOMPARE(form(), first.data());
}

void ClaimTaskTest::closedFormIsMadeAgainAtItsRememberedPlace() {
    click("AA01");
    DocumentWindow* document = formDocument();
    QCOMPARE(document->geometry(), QRect(px(1000), px(1000), px(6500), px(6500)));
    document->setGeometry(40, 30, 520, 480);
    QPointer<frmClaimForm> first = form();
    document->close();
    QTRY_VERIFY(!first);
    QVERIFY(!form());

    click("CA0967");
    QVERIFY(form());
    QVERIFY(formDocument());
    QCOMPARE(formDocument()->geometry(), QRect(40, 30, 520, 480));
    QCOMPARE(ui().selectedKey(), QStringLiteral("CA0"));
}

// Export

void ClaimTaskTest::exportWritesWhatTheCommandLineToolPrints() {
    QAction* command = main_->findChild<QAction*>(QStringLiteral("mnuFileExportClaim"));
    auto exportClaim = [this, command](const QString& name) {
        if (!command->isEnabled())
            return false;
        GuiTest::dialogs().setNextFileName(name.isEmpty() ? QString() : dir_->filePath(name));
        command->trigger();
        return true;
    };
    auto written = [this](const QString& name) {
        QFile file(dir_->filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QVERIFY(!exportClaim(QStringLiteral("none.json")));
    click("CA0967");
    click("CA04831");

    QVERIFY(exportClaim(QStringLiteral("claim.json")));
    const FileDialog::SaveRequest& asked = GuiTest::dialogs().saveRequests().constLast();
    QCOMPARE(asked.caption, QStringLiteral("Export Claim"));
    QCOMPARE(asked.fileName, QStringLiteral(SAMPLES_DIR "/CA04831.json"));
    QCOMPARE(asked.filters,
             (QStringList{QStringLiteral("JSON (*.json)"), QStringLiteral("CSV (*.csv)")}));
    QProcess cli;
    cli.start(QStringLiteral(QUILLMARK_CLI),
              {QStringLiteral("--maps"), QStringLiteral(MAPS_DIR), QStringLiteral("--json"),
               QStringLiteral("claim"), kSample301, QStringLiteral("CA04831")});
    QVERIFY(cli.waitForFinished(30000));
    const QByteArray printed = cli.readAllStandardOutput();
    QVERIFY(printed.contains("\"CA04831\""));
    QCOMPARE(written(QStringLiteral("claim.json")), printed);

    // A name ending in .csv gets CSV: a header row, then a row for each field.
    QVERIFY(exportClaim(QStringLiteral("claim.CSV")));
    const QList<QByteArray> rows = written(QStringLiteral("claim.CSV")).split('\n');
    QCOMPARE(rows.constFirst(), QByteArray("node,record_type,occurrence,field,name,start,end,"
                                           "value,valid,shown,amount\r"));
    QVERIFY(
        rows.contains("XA0,XA0,1,12.0,Total Claim Charges,78,84,0015751,false,$157.51,157.51\r"));
    QCOMPARE(main_->confirmation(), QStringLiteral("Exported claim CA04831 to ") +
                                        dir_->filePath(QStringLiteral("claim.CSV")));

    // Cancelled: nothing written, nothing said.
    QVERIFY(exportClaim(QString()));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files).filter(QStringLiteral("claim")).size(), 2);
    QVERIFY(GuiTest::dialogs().shown().size() == 1); // the totals message of CA04831

    // The command goes with the form.
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    QVERIFY(!exportClaim(QStringLiteral("late.json")));
}

void ClaimTaskTest::exportThatCannotBeWrittenSaysWhy() {
    click("CA0967");
    const QString path = dir_->filePath(QStringLiteral("no such folder/claim.json"));
    GuiTest::dialogs().setNextFileName(path);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportClaim")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    const MessageBoxes::Record& box = GuiTest::dialogs().shown().constFirst();
    QVERIFY2(box.text.startsWith(QStringLiteral("Unable to export the claim to ") + path +
                                 QLatin1Char(':')),
             qPrintable(box.text));
    QCOMPARE(box.title, QStringLiteral("Export Claim"));
    QCOMPARE(box.icon, qm::MessageIcon::Critical);
    QVERIFY(!QFile::exists(path));

    // Never over the open claim file, under any name.
    const QString copy = dir_->filePath(QStringLiteral("claims.nsf"));
    QVERIFY(QFile::copy(kSample301, copy));
    QVERIFY(QFile::link(copy, dir_->filePath(QStringLiteral("link.json"))));
    openSample(copy);
    click("CA0967");
    GuiTest::dialogs().setNextFileName(dir_->filePath(QStringLiteral("link.json")));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportClaim")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 2);
    QCOMPARE(GuiTest::dialogs().shown().constLast().text,
             QStringLiteral("Unable to export the claim to ") +
                 dir_->filePath(QStringLiteral("link.json")) +
                 QStringLiteral(": it is the claim file that is open, which Quillmark never "
                                "changes"));
    QFile claims(copy);
    QVERIFY(claims.open(QIODevice::ReadOnly));
    QCOMPARE(claims.readAll(), sample_);
}

// A record a click lists but cannot read shows nothing, in particular
// nothing of the file open before.
void ClaimTaskTest::unreadRecordShowsNothingOfTheFileBefore() {
    auto values = [this] {
        QStringList shown;
        for (int row = 1; row <= ui().fieldRows(); ++row)
            if (ui().value(row).size() >= 4)
                shown << ui().value(row);
        return shown;
    };
    click("CA0967");
    QVERIFY(ui().clickNode(QStringLiteral("BA0")));
    const QStringList before = values();
    QVERIFY(before.size() > 3);

    // Another file, cut below its file header once its tree is built.
    const QString other = dir_->filePath(QStringLiteral("other.nsf"));
    QVERIFY(QFile::copy(kSample200, other));
    openSample(other);
    QVERIFY(QFile::resize(other, 322));
    const qm::FileTree& tree = *context_->document()->file().tree();
    std::int64_t claim = 0;
    while (claim < tree.size() && tree.recordType(claim) != "CA0")
        ++claim;
    QVERIFY(claim < tree.size());
    click(tree.key(claim).c_str());
    QVERIFY(ui().clickNode(QStringLiteral("BA0")));
    QCOMPARE(ui().fieldRows(), 0);
    auto* note = form()->findChild<QLabel*>(QStringLiteral("lblTotals"));
    QVERIFY(note && note->isVisibleTo(form()));
    QVERIFY2(note->text().contains(QStringLiteral("This record could not be read from the file")),
             qPrintable(note->text()));
    QVERIFY(ui().tbRecord()->text().isEmpty());
    // The file header was read, and is the other file's.
    QVERIFY(ui().clickNode(QStringLiteral("AA0")));
    QVERIFY(ui().fieldRows() > 0);
    QVERIFY(!note->text().contains(QStringLiteral("could not be read")));
    for (const QString& value : values())
        QVERIFY2(!before.contains(value), qPrintable(value));
}

// The windows of one file go when another is opened or the file closed

void ClaimTaskTest::windowsFollowTheOpenFile_data() {
    // The next file, or an empty path for File > Close; and its tree's
    // caption, empty when the next file fails to open.
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("nextCaption");
    QTest::newRow("another file") << kSample200
                                  << QStringLiteral("NSF File Tree (%1)").arg(kSample200);
    QTest::newRow("the same file")
        << kSample301 << QStringLiteral("NSF File Tree (%1)").arg(kSample301);
    // A refused open changes nothing: the file, its windows and its find state stay.
    const QString same = QStringLiteral("NSF File Tree (%1)").arg(kSample301);
    QTest::newRow("no claim file") << QStringLiteral(SAMPLES_DIR "/not-a-claim.txt") << same;
    QTest::newRow("a missing file") << QStringLiteral(SAMPLES_DIR "/no-such-file.nsf") << same;
    QTest::newRow("File > Close") << QString() << QString();
}

void ClaimTaskTest::windowsFollowTheOpenFile() {
    QFETCH(QString, next);
    QFETCH(QString, nextCaption);
    main_->setViews(views_);
    auto treeDocument = [this] {
        return main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    };

    // A successful open shows the file's tree at once; View Claims only raises it.
    main_->openFile(kSample301);
    QPointer<DocumentWindow> tree = treeDocument();
    QVERIFY(tree);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuClaimForm")));
    QCOMPARE(treeDocument(), tree.data());
    auto* treeWindow = qobject_cast<frmNSFTree*>(tree->widget());
    emit treeWindow->nodeActivated(*treeWindow->tree().findKey("CA0967"));
    QPointer<DocumentWindow> form = formDocument();
    QVERIFY(form);
    tree->setGeometry(10, 20, 400, 500);
    form->setGeometry(420, 20, 500, 500);
    FindState& find = context_->document()->findState();
    find.SearchText = QStringLiteral("wilma");
    find.FindIndex = 3;

    if (next.isEmpty())
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    else
        main_->openFile(next);

    if (!GuiTest::dialogs().shown().isEmpty()) {
        QVERIFY(tree && form);
        QCOMPARE(this->form(), qobject_cast<frmClaimForm*>(form->widget()));
        QCOMPARE(context_->document()->findState().SearchText, QStringLiteral("wilma"));
        QCOMPARE(context_->document()->findState().FindIndex, qint64(3));
        QCOMPARE(tree->windowTitle(), nextCaption);
        return;
    }
    // Both windows closed, each saving its place, and the search starts afresh.
    QTRY_VERIFY(!tree && !form);
    QVERIFY(!this->form());
    const QStringList stored = GuiTest::storedSettings(*dir_);
    const QStringList places =
        GuiTest::placeLines(QStringLiteral("frmNSFTree"), QRect(10, 20, 400, 500)) +
        GuiTest::placeLines(QStringLiteral("frmClaimForm"), QRect(420, 20, 500, 500));
    for (const QString& line : places)
        QVERIFY2(stored.contains(line), qPrintable(line));
    // A new file starts with a find state of its own.
    if (context_->document()) {
        QVERIFY(context_->document()->findState().SearchText.isEmpty());
        QCOMPARE(context_->document()->findState().FindIndex, qint64(0));
    }

    // The next file's own tree, when it opened.
    DocumentWindow* nextTree = treeDocument();
    QCOMPARE(nextTree ? nextTree->windowTitle() : QString(), nextCaption);
    QVERIFY(!formDocument());
}

// The whole task as a user does it, from start-up through the file tree

void ClaimTaskTest::startFromTheMapFolder() {
    // Started from the map folder with the sample on the command line.
    main_.reset();
    context_ = GuiTest::context();
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QStringLiteral(MAPS_DIR)));
    main_ = Startup::run(*context_, {kSample301});
    QDir::setCurrent(before);
    QVERIFY(main_);
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    main_->resize(1200, 900);
    QTRY_COMPARE(main_->size(), QSize(1200, 900));
}

void ClaimTaskTest::wrongTotalsAndTheirGrid() {
    // The claim with wrong totals: the message, then 12.0 alone in red.
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QCOMPARE(GuiTest::dialogs().shown().constFirst().text,
             QStringLiteral("XA0 Record totals do not compute!"));
    QVERIFY(ui().clickNode(QStringLiteral("XA0")));
    const int charges = slotOf("XA0", "12.0");
    for (int row = 1; row <= ui().fieldRows(); ++row) {
        const QColor expected = row == charges ? QColor(255, 0, 0) : QColor(255, 255, 255);
        QCOMPARE(ui().valueCell(row)->background().color(), expected);
    }

    // A grid click, the header row, and a second record.
    QVERIFY(ui().clickGridRow(charges));
    QCOMPARE(ui().tbRecord()->selectedText(), sampleLine(8695).mid(77, 7));
    QCOMPARE(ui().panelTexts(),
             (QStringList{QStringLiteral("XA0 : 12.0"), QStringLiteral("78 - 84"),
                          QStringLiteral("7"), QStringLiteral("N")}));
    QTRY_VERIFY(ui().tbRecord()->hasFocus());
    QVERIFY(ui().clickHeader(0));
    QCOMPARE(ui().panel(1)->text(), QStringLiteral("XA0 : 12.0"));
    QCOMPARE(ui().tbRecord()->selectedText(), sampleLine(8695).mid(77, 7));
    QVERIFY(ui().clickNode(QStringLiteral("HA0-1")));
    QCOMPARE(ui().panelTexts(), (QStringList{{}, {}, {}, QStringLiteral("N")}));
}

void ClaimTaskTest::walkTheMainTaskThroughTheFileTree() {
    startFromTheMapFolder();
    if (QTest::currentTestFailed())
        return;
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuClaimForm")));
    DocumentWindow* treeDocument = main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    QVERIFY(treeDocument);
    treeDocument->setGeometry(0, 0, 380, 820);
    auto* treeWindow = static_cast<frmNSFTree*>(treeDocument->widget());
    auto* view = treeWindow->findChild<QTreeView*>(QStringLiteral("TreeView1"));
    QVERIFY(view);
    auto* model = qobject_cast<FileTreeModel*>(view->model());
    QVERIFY(model);
    auto treeIndex = [&](const char* key) {
        const std::optional<std::int64_t> node = treeWindow->tree().findKey(key);
        return node ? model->nodeIndex(*node) : QModelIndex();
    };
    auto clickTree = [&](const char* key) {
        const QModelIndex index = treeIndex(key);
        if (!index.isValid())
            return false;
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        return true;
    };

    // The file header; then the form goes beside the tree.
    QVERIFY(clickTree("AA01"));
    QVERIFY(form());
    QCOMPARE(ui().nodes(), QStringList{QStringLiteral("AA0")});
    formDocument()->setGeometry(400, 0, 560, 820);

    // A batch with its second header line, and one without.
    QVERIFY(clickTree("BA0323"));
    QCOMPARE(ui().nodes(), (QStringList{QStringLiteral("AA0"), QStringLiteral("BA0<AA0"),
                                        QStringLiteral("BA1<AA0")}));
    QVERIFY(clickTree("BA011915"));
    QCOMPARE(ui().nodes(), (QStringList{QStringLiteral("AA0"), QStringLiteral("BA0<AA0")}));

    // A claim with three FA0 lines.
    QVERIFY(clickTree("CA0967"));
    QCOMPARE(ui().selectedKey(), QStringLiteral("CA0"));
    for (const char* key : {"FA0-1", "FA0-2", "FA0-3"})
        QVERIFY2(ui().node(QLatin1String(key)), key);
    QVERIFY(!ui().node(QStringLiteral("FA0-4")));
    QVERIFY(ui().clickNode(QStringLiteral("FA0-3")));
    QCOMPARE(ui().tbRecord()->text(), sampleLine(3865));
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // The claim with wrong totals, and a grid click on it.
    QVERIFY(clickTree("CA04831"));
    wrongTotalsAndTheirGrid();
    if (QTest::currentTestFailed())
        return;

    // Enter on a node of the file tree acts like a click.
    view->setFocus();
    view->setCurrentIndex(treeIndex("CA09017"));
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(ui().node(QStringLiteral("GC0-1")));

    // The form cannot be made smaller than 5000 twips either way.
    formDocument()->resize(120, 90);
    QCOMPARE(formDocument()->size(), QSize(px(5000), px(5000)));

    // File > Close takes the tree and the form with the file.
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    QVERIFY(main_->documents()->subWindowList().isEmpty());
}

QTEST_MAIN(ClaimTaskTest)
#include "ClaimTaskTest.moc"
