// The claim form on its own: the record tree, the field grid, the raw line with
// the clicked field selected, the status panels and the window's layout. The
// claim it shows is made here directly, so every case can be set up exactly.
#include "ClaimFormDriver.h"
#include "GuiTest.h"
#include "core/claim/AssembledClaim.h"
#include "core/common/RecordingMessageSink.h"
#include "core/layouts/MapLoader.h"
#include "core/layouts/RecordTypes.h"
#include "gui/claimform/ColumnRuler.h"
#include "gui/claimform/RecordLineEdit.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/PlainText.h"
#include "gui/common/SettingsStore.h"
#include "gui/common/WindowPositions.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>
#include <QWindow>
#include <functional>
#include <memory>
#include <string>

namespace {

// At 96 dots per inch, 15 twips are one pixel.
const auto px = GuiTest::px;

// Where a key in the grid leads, when it is no fixed row.
constexpr int kPageDown = -1;
constexpr int kPageUp = -2;
constexpr int kLast = -3;

// A record line whose column c (from 4) holds the digit c % 10, so that any
// selection can be told from its neighbours.
std::string recordLine(const std::string& type, int length = 320) {
    std::string line = type;
    for (int column = 4; column <= length; ++column)
        line += char('0' + column % 10);
    return line;
}

} // namespace

class ClaimFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The window's parts
    void controlsCarryTheirNamesCaptionAndToolTips();
    void statusBarHasFourPanelsOfTheirDesignedWidths();
    void tabGoesFromTreeToGridToRawLine();

    // Record tree and grid
    void resetExpandsSelectsAndShowsTheRecordWithEmptyRawLineAndPanels();
    void resetWithoutAMatchingNodeSelectsAndShowsNothing();
    void nodeShowsTheOccurrenceItsKeyNames_data();
    void nodeShowsTheOccurrenceItsKeyNames();
    void occurrenceWithoutASlotShowsNamesWithoutValues_data();
    void occurrenceWithoutASlotShowsNamesWithoutValues();
    void uncataloguedTypeShowsTheHeaderRowOnly();
    void typeWithoutFieldsShowsOnlyTheRawLine();
    void namesAndValuesLoseSurroundingSpacesOnly();
    void invalidValueIsWhiteOnRedAndItsNameUnchanged();
    void validValuesTakeTheThemesColours();
    void requiredFieldNamesAreBold_data();
    void requiredFieldNamesAreBold();
    void columnsFitTheLongestTextAndNeverNarrow();
    void textWiderThanItsCharacterCountIsNotCutOff();
    void valueClickAndKeysKeepTheNamesInSight();
    void nodeTreeIsClearedBeforeRefilling();

    // Grid clicks
    void gridClickSelectsTheFieldAndDescribesIt();
    void lastFieldSelectsToTheEndOfTheLine();
    void selectionIsCutAtTheEndOfAShortLine();
    void fieldBeforeColumnOneOrWithoutLengthSelectsNothing_data();
    void fieldBeforeColumnOneOrWithoutLengthSelectsNothing();
    void clickingTheSameRowTwiceGivesTheSameResult();
    void headerClickChangesNothing();
    void gridClickRightAfterResetDescribesButSelectsNothing();
    void emptyRawLineHintsWhereItsLineComesFrom();
    void markedFieldIsScrolledWhollyIntoView();
    void gridClickWithoutASelectedNodeDoesNothing();
    void otherNodeEmptiesPanelsOneToThreeAndDescribesItsOwnFields();

    // Keys, ruler, copy
    void frozenNamesStayWhileTheGridScrollsSideways();
    void currentRowIsFramedAndAnInvalidValueStaysRed();
    void keysInTheGridWalkTheFields_data();
    void keysInTheGridWalkTheFields();
    void upAndDownInTheRawLineWalkTheFields();
    void rulerTicksStandOverTheirColumns();
    void rawLineColumnShowsItsField_data();
    void rawLineColumnShowsItsField();
    void rawLineToolTipNamesTheFieldUnderTheMouse();
    void copyCommandsPutTheirTextOnTheClipboard();

    // What the totals check left unsaid
    void totalsNoteSaysWhatWasNotChecked_data();
    void totalsNoteSaysWhatWasNotChecked();
    void mismatchedTrailerCellsTellBothFigures();
    void cutLineIsSaidToBeCut();

    // Layout
    void firstShownAtItsDefaultPlace();
    void panesStartAsDesignedAndFollowTheLayoutRules();
    void wideningWidensTheGridAndTheRawLine();
    void splitterSizesAreRememberedWithThePlace();
    void windowIsNeverSmallerThan5000Twips();
    void minimizingAndRestoringKeepsTheSize();

private:
    // A record of the claim, its values cut from its line by the layouts here,
    // all valid; it replaces a record of the same type and occurrence.
    qm::AssembledRecord& storeRecord(const std::string& type, int occurrence,
                                     const std::string& line);
    qm::AssembledRecord& record(const char* type, int occurrence = 1);
    // A record line with texts at the columns of fields (slot, from 1).
    std::string lineWith(const char* type, const std::map<int, std::string>& values) const;
    const qm::RecordLayout& layout(const char* type) const { return *layouts_->find(type); }
    // Changes the definition of field `slot` (from 1); the form reads the
    // layouts whenever it shows a record or describes a field.
    void editField(const char* type, int slot, const std::function<void(qm::FieldDef&)>& edit);
    // Gives the form the claim as it stands: AA0 > BA0, ZA0; BA0 > CA0;
    // CA0 > FA0-1, FA0-2, FA0-3, XA0; reset on CA0 and shown.
    void showClaim();
    // The same with the given nodes only, reset on rt.
    void showNodes(const QStringList& nodes, const QString& rt);
    // The claim with CA0 shown, its field 3 a value too wide for the grid.
    void showClaimWithALongValue();
    int slotOf(const char* type, const char* fieldId) { return layout(type).indexOf(fieldId) + 1; }
    DocumentWindow* showInDocumentArea();

    std::unique_ptr<QTemporaryDir> dir_;
    std::shared_ptr<qm::LayoutCatalogue> layouts_;
    qm::AssembledClaim claim_;
    std::unique_ptr<frmClaimForm> form_;
    std::unique_ptr<DocumentArea> area_;
    std::unique_ptr<ClaimFormDriver> ui_;
};

void ClaimFormTest::initTestCase() {
    GuiTest::initTestCase();
}

void ClaimFormTest::init() {
    dir_ = GuiTest::isolatedFolder();
    qm::RecordingMessageSink sink;
    std::shared_ptr<const qm::LayoutCatalogue> loaded;
    QVERIFY(qm::LoadMapFile({MAPS_DIR}, "nsf0301.map", sink, loaded));
    // The test's own copy, so that a case can change a definition.
    layouts_ = std::make_shared<qm::LayoutCatalogue>(*loaded);
    claim_ = qm::AssembledClaim();
    claim_.acted = true;
    claim_.layouts = layouts_;
    storeRecord("AA0", 1, recordLine("AA0"));
    storeRecord("BA0", 1, recordLine("BA0"));
    storeRecord("CA0", 1, recordLine("CA0"));
    for (int occurrence = 1; occurrence <= 3; ++occurrence) {
        std::string line = recordLine("FA0");
        line[3] = '0';
        line[4] = char('0' + occurrence);
        storeRecord("FA0", occurrence, line);
    }
    storeRecord("XA0", 1, recordLine("XA0"));
    storeRecord("ZA0", 1, recordLine("ZA0"));
    form_ = std::make_unique<frmClaimForm>();
    ui_ = std::make_unique<ClaimFormDriver>(form_.get());
}

void ClaimFormTest::cleanup() {
    ui_.reset();
    area_.reset();
    form_.reset();
    layouts_.reset();
    GuiTest::release();
    dir_.reset();
}

qm::AssembledRecord& ClaimFormTest::storeRecord(const std::string& type, int occurrence,
                                                const std::string& line) {
    qm::AssembledRecord made;
    made.type = type;
    made.occurrence = occurrence;
    made.line = line;
    const qm::RecordLayout& fields = layout(type.c_str());
    for (int i = 0; i < fields.fieldCount(); ++i) {
        const std::string_view value = fields.value(i, made.line);
        made.fields.push_back({std::uint32_t(value.empty() ? 0 : value.data() - made.line.data()),
                               std::uint32_t(value.size()), true});
    }
    for (qm::AssembledRecord& r : claim_.records)
        if (r.type == type && r.occurrence == occurrence)
            return r = std::move(made);
    claim_.records.push_back(std::move(made));
    return claim_.records.back();
}

qm::AssembledRecord& ClaimFormTest::record(const char* type, int occurrence) {
    for (qm::AssembledRecord& r : claim_.records)
        if (r.type == type && r.occurrence == occurrence)
            return r;
    qFatal("no record %s-%d", type, occurrence);
}

std::string ClaimFormTest::lineWith(const char* type,
                                    const std::map<int, std::string>& values) const {
    std::string line = type + std::string(317, ' ');
    for (const auto& [slot, text] : values) {
        const qm::FieldDef& field = layout(type).field(slot - 1);
        const std::size_t at = std::size_t(field.StartPos - 1);
        line.resize(std::max(line.size(), at + text.size()), ' ');
        line.replace(at, text.size(), text);
    }
    line.resize(std::max<std::size_t>(line.size(), 320), ' ');
    return line;
}

void ClaimFormTest::editField(const char* type, int slot,
                              const std::function<void(qm::FieldDef&)>& edit) {
    qm::RecordLayout& target = layouts_->at(qm::recordTypeIndex(type));
    std::vector<qm::FieldDef> fields = target.fields();
    edit(fields[std::size_t(slot - 1)]);
    target.clear();
    for (qm::FieldDef& field : fields)
        target.addField(std::move(field));
}

void ClaimFormTest::showNodes(const QStringList& nodes, const QString& rt) {
    claim_.nodes.clear();
    for (const QString& node : nodes) {
        const std::string key = node.section(QLatin1Char('<'), 0, 0).toStdString();
        const qm::AssembledRecord* shown = claim_.record(key);
        claim_.nodes.push_back({key, node.section(QLatin1Char('<'), 1).toStdString(),
                                shown ? int(shown - claim_.records.data()) : -1});
    }
    form_->setClaim(std::make_shared<const qm::AssembledClaim>(claim_), "CA0967");
    form_->Treeview1_Reset(rt);
    form_->resize(900, 700);
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void ClaimFormTest::showClaim() {
    showNodes({QStringLiteral("AA0"), QStringLiteral("BA0<AA0"), QStringLiteral("CA0<BA0"),
               QStringLiteral("FA0-1<CA0"), QStringLiteral("FA0-2<CA0"),
               QStringLiteral("FA0-3<CA0"), QStringLiteral("XA0<CA0"), QStringLiteral("ZA0<AA0")},
              QStringLiteral("CA0"));
}

void ClaimFormTest::showClaimWithALongValue() {
    editField("CA0", 3, [](qm::FieldDef& f) { f.Length = 60; });
    storeRecord("CA0", 1, lineWith("CA0", {{3, std::string(60, 'W')}}));
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
}

DocumentWindow* ClaimFormTest::showInDocumentArea() {
    area_ = std::make_unique<DocumentArea>();
    area_->resize(1200, 900);
    area_->show();
    if (!QTest::qWaitForWindowExposed(area_.get()))
        return nullptr;
    // The area owns the form from here on.
    return area_->addDocument(form_.release());
}

// The window's parts

void ClaimFormTest::controlsCarryTheirNamesCaptionAndToolTips() {
    QCOMPARE(form_->objectName(), QStringLiteral("frmClaimForm"));
    QCOMPARE(form_->windowTitle(), QStringLiteral("Claim Form"));
    for (const char* pane : {"PictureTree", "PictureGrid", "PictureText"})
        QVERIFY2(form_->findChild<QWidget*>(QLatin1String(pane)), pane);
    QVERIFY(form_->findChild<QStatusBar*>(QStringLiteral("StatusBar1")));
    QCOMPARE(ui_->tree()->parentWidget()->objectName(), QStringLiteral("PictureTree"));
    QCOMPARE(ui_->grid()->parentWidget()->objectName(), QStringLiteral("PictureGrid"));
    QCOMPARE(ui_->tbRecord()->parentWidget()->objectName(), QStringLiteral("PictureText"));

    QCOMPARE(ui_->tree()->toolTip(), QStringLiteral("Click item to view details"));
    QCOMPARE(ui_->grid()->toolTip(),
             QStringLiteral("Click row to view data in raw record display"));
    QCOMPARE(ui_->tbRecord()->toolTip(), QStringLiteral("Record (line) as read from the NSF file"));

    QVERIFY(ui_->tbRecord()->isReadOnly());
    const QFontMetrics metrics(ui_->tbRecord()->font());
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiiiiiiiii")),
             metrics.horizontalAdvance(QStringLiteral("WWWWWWWWWW")));
    QCOMPARE(ui_->grid()->columnCount(), 2);
}

void ClaimFormTest::statusBarHasFourPanelsOfTheirDesignedWidths() {
    const QStringList tips = {
        QStringLiteral("NSF Field Number"), QStringLiteral("Starting and Ending field positions"),
        QStringLiteral("Field Length"), QStringLiteral("Field type and Validation flag(s)")};
    const int widths[] = {px(1440), px(1440), px(1824), px(1824)};
    auto* statusBar = form_->findChild<QStatusBar*>(QStringLiteral("StatusBar1"));
    QCOMPARE(statusBar->findChildren<QLabel*>().size(), 4);
    for (int i = 1; i <= 4; ++i) {
        QLabel* panel = ui_->panel(i);
        QVERIFY(panel);
        QCOMPARE(panel->parentWidget(), statusBar);
        QCOMPARE(panel->toolTip(), tips.at(i - 1));
        QCOMPARE(panel->width(), widths[i - 1]);
        QVERIFY(panel->text().isEmpty());
    }
}

void ClaimFormTest::tabGoesFromTreeToGridToRawLine() {
    showClaim();
    ui_->tree()->setFocus();
    QTRY_VERIFY(ui_->tree()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui_->grid()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui_->tbRecord()));
}

// Record tree and grid

void ClaimFormTest::resetExpandsSelectsAndShowsTheRecordWithEmptyRawLineAndPanels() {
    showClaim();
    // Leave something in the raw line and the panels, as a user would.
    QVERIFY(ui_->clickNode(QStringLiteral("FA0-2")));
    QVERIFY(ui_->clickGridRow(1));
    QVERIFY(!ui_->panel(4)->text().isEmpty());

    form_->Treeview1_Reset(QStringLiteral("CA0"));
    for (const char* key : {"AA0", "BA0", "CA0"})
        QVERIFY2(ui_->node(QLatin1String(key))->isExpanded(), key);
    QCOMPARE(ui_->selectedKey(), QStringLiteral("CA0"));
    QCOMPARE(ui_->tree()->currentItem(), ui_->node(QStringLiteral("CA0")));
    QCOMPARE(ui_->fieldRows(), layout("CA0").fieldCount());
    QCOMPARE(ui_->value(1), QStringLiteral("CA0"));
    QVERIFY(ui_->tbRecord()->text().isEmpty());
    QCOMPARE(ui_->panelTexts(), QStringList(4));

    // A click on the selected node fills the raw line again.
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QCOMPARE(ui_->tbRecord()->text(), QString::fromStdString(recordLine("CA0")));
}

void ClaimFormTest::resetWithoutAMatchingNodeSelectsAndShowsNothing() {
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("XA0")));
    QVERIFY(ui_->clickGridRow(2));

    form_->Treeview1_Reset(QStringLiteral("BA1"));
    QVERIFY(ui_->selectedKey().isEmpty());
    QCOMPARE(ui_->fieldRows(), 0);
    QVERIFY(ui_->tbRecord()->text().isEmpty());
    QCOMPARE(ui_->panelTexts(), QStringList(4));
}

void ClaimFormTest::nodeShowsTheOccurrenceItsKeyNames_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("sequence");
    QTest::newRow("FA0-1") << QStringLiteral("FA0-1") << QStringLiteral("01");
    QTest::newRow("FA0-3") << QStringLiteral("FA0-3") << QStringLiteral("03");
    QTest::newRow("plain key of a repeating type") << QStringLiteral("FA0") << QStringLiteral("01");
}

void ClaimFormTest::nodeShowsTheOccurrenceItsKeyNames() {
    QFETCH(QString, key);
    QFETCH(QString, sequence);
    record("FA0", 3).fields[1].valid = false;
    showClaim();
    form_->addRecordNode(QStringLiteral("FA0"), QStringLiteral("CA0"));

    QVERIFY(ui_->clickNode(key));
    const int occurrence = sequence.toInt();
    std::string line = recordLine("FA0");
    line[3] = '0';
    line[4] = char('0' + occurrence);
    QCOMPARE(ui_->tbRecord()->text(), QString::fromStdString(line));
    QCOMPARE(ui_->value(2), sequence);
    const QColor background = ui_->valueCell(2)->background().color();
    QCOMPARE(background, occurrence == 3 ? QColor(255, 0, 0) : QColor(255, 255, 255));
}

void ClaimFormTest::occurrenceWithoutASlotShowsNamesWithoutValues_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("zero") << QStringLiteral("FA0-0");
    QTest::newRow("100") << QStringLiteral("FA0-100");
    QTest::newRow("beyond 16 bits") << QStringLiteral("FA0-70000");
    QTest::newRow("negative") << QStringLiteral("FA0--1");
    QTest::newRow("no number") << QStringLiteral("FA0-");
    QTest::newRow("letters") << QStringLiteral("FA0-x");
}

void ClaimFormTest::occurrenceWithoutASlotShowsNamesWithoutValues() {
    QFETCH(QString, key);
    showClaim();
    form_->addRecordNode(key, QStringLiteral("CA0"));

    QVERIFY(ui_->clickNode(key));
    QCOMPARE(ui_->fieldRows(), layout("FA0").fieldCount());
    QCOMPARE(ui_->name(1), QStringLiteral("Record ID"));
    for (int row = 1; row <= ui_->fieldRows(); ++row) {
        QVERIFY(ui_->value(row).isEmpty());
        QCOMPARE(ui_->valueCell(row)->background().color(), QColor(255, 255, 255));
    }
    QVERIFY(ui_->tbRecord()->text().isEmpty());
}

void ClaimFormTest::uncataloguedTypeShowsTheHeaderRowOnly() {
    showClaim();
    form_->addRecordNode(QStringLiteral("QQ9"), QStringLiteral("CA0"));
    QVERIFY(ui_->clickNode(QStringLiteral("QQ9")));
    QCOMPARE(ui_->fieldRows(), 0);
    QCOMPARE(ui_->headerTexts(),
             (QStringList{QStringLiteral("Field Name"), QStringLiteral("Value")}));
    QVERIFY(ui_->tbRecord()->text().isEmpty());
}

void ClaimFormTest::typeWithoutFieldsShowsOnlyTheRawLine() {
    layouts_->at(qm::recordTypeIndex("EA2")).clear();
    storeRecord("EA2", 1, recordLine("EA2"));
    showClaim();
    form_->addRecordNode(QStringLiteral("EA2"), QStringLiteral("CA0"));
    QVERIFY(ui_->clickNode(QStringLiteral("EA2")));
    QCOMPARE(ui_->fieldRows(), 0);
    QCOMPARE(ui_->tbRecord()->text(), QString::fromStdString(recordLine("EA2")));
}

void ClaimFormTest::namesAndValuesLoseSurroundingSpacesOnly() {
    const std::string line = lineWith("CA0", {{3, "  A B  "}, {4, "\tTAB\t "}});
    storeRecord("CA0", 1, line);
    editField("CA0", 4, [](qm::FieldDef& f) { f.FieldName = "  Padded Name "; });
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QCOMPARE(ui_->value(3), QStringLiteral("A B"));
    QCOMPARE(ui_->value(4), QStringLiteral("\tTAB\t"));
    QCOMPARE(ui_->name(4), QStringLiteral("Padded Name"));
    // The raw line as read, blanks and all.
    QCOMPARE(ui_->tbRecord()->text(), QString::fromStdString(line));
}

void ClaimFormTest::invalidValueIsWhiteOnRedAndItsNameUnchanged() {
    record("CA0").fields[3].valid = false;
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QCOMPARE(ui_->valueCell(4)->background().color(), QColor(255, 0, 0));
    QCOMPARE(ui_->valueCell(4)->foreground().color(), QColor(255, 255, 255));
    QCOMPARE(ui_->valueCell(5)->background().color(), QColor(255, 255, 255));
    QCOMPARE(ui_->valueCell(5)->foreground().color(), QColor(0, 0, 0));
    QCOMPARE(ui_->nameCell(4)->background(), ui_->nameCell(5)->background());
    QCOMPARE(ui_->nameCell(4)->foreground(), ui_->nameCell(5)->foreground());

    // The cells of a reused row take the colours of the record now shown.
    record("CA0").fields[3].valid = true;
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QCOMPARE(ui_->valueCell(4)->background().color(), QColor(255, 255, 255));
    QCOMPARE(ui_->valueCell(4)->foreground().color(), QColor(0, 0, 0));
}

void ClaimFormTest::validValuesTakeTheThemesColours() {
    // A dark theme: valid values as it draws text, failed ones still white on red.
    QPalette dark = form_->palette();
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(50, 50, 50));
    form_->setPalette(dark);
    record("CA0").fields[2].valid = false;
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QCOMPARE(ui_->valueCell(1)->background().color(), QColor(30, 30, 30));
    QCOMPARE(ui_->valueCell(1)->foreground().color(), QColor(230, 230, 230));
    QCOMPARE(ui_->valueCell(3)->background().color(), QColor(255, 0, 0));
    QCOMPARE(ui_->valueCell(3)->foreground().color(), QColor(255, 255, 255));
    QCOMPARE(ui_->nameCell(1)->background().color(), QColor(50, 50, 50));
}

void ClaimFormTest::requiredFieldNamesAreBold_data() {
    QTest::addColumn<QString>("typeCodes");
    QTest::addColumn<bool>("bold");
    QTest::newRow("XR") << QStringLiteral("XR") << true;
    QTest::newRow("lower-case r") << QStringLiteral("Nr") << true;
    QTest::newRow("R alone") << QStringLiteral("R") << true;
    QTest::newRow("N") << QStringLiteral("N") << false;
    QTest::newRow("XD") << QStringLiteral("XD") << false;
    QTest::newRow("none") << QString() << false;
}

void ClaimFormTest::requiredFieldNamesAreBold() {
    QFETCH(QString, typeCodes);
    QFETCH(bool, bold);
    showClaim();
    // The row shown before keeps no emphasis it no longer has.
    editField("CA0", 3, [](qm::FieldDef& f) { f.TypeCodes = "XR"; });
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    editField("CA0", 3, [&](qm::FieldDef& f) { f.TypeCodes = typeCodes.toStdString(); });
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QCOMPARE(ui_->nameCell(3)->font().bold(), bold);
    QVERIFY(!ui_->valueCell(3)->font().bold());
}

void ClaimFormTest::columnsFitTheLongestTextAndNeverNarrow() {
    // Field 3 long enough for the values below, clear of the other fields.
    editField("CA0", 3, [](qm::FieldDef& f) {
        f.StartPos = 321;
        f.Length = 60;
    });
    std::map<int, std::string> values;
    for (int i = 1; i <= layout("CA0").fieldCount(); ++i)
        values[i] = "V";
    storeRecord("CA0", 1, lineWith("CA0", values));
    showNodes({QStringLiteral("CA0")}, QStringLiteral("CA0"));
    QHeaderView* header = ui_->grid()->horizontalHeader();
    QVERIFY(header->sectionSize(0) >= px(1000));
    QVERIFY(header->sectionSize(1) >= px(500));
    QVERIFY(header->sectionSize(1) < px(4500));

    // Narrow characters, so that 100 twips each is what decides.
    storeRecord("CA0", 1, lineWith("CA0", {{3, std::string(45, 'i')}}));
    showNodes({QStringLiteral("CA0")}, QStringLiteral("CA0"));
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QCOMPARE(header->sectionSize(1), px(4500));

    storeRecord("CA0", 1, lineWith("CA0", {{3, "i"}}));
    showNodes({QStringLiteral("CA0")}, QStringLiteral("CA0"));
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QCOMPARE(header->sectionSize(1), px(4500));

    // Nor does a new selection narrow them.
    const int nameWidth = header->sectionSize(0);
    storeRecord("AA0", 1, "AA0");
    showNodes({QStringLiteral("AA0")}, QStringLiteral("AA0"));
    QVERIFY(header->sectionSize(0) >= nameWidth);
    QCOMPARE(header->sectionSize(1), px(4500));

    editField("AA0", 6, [](qm::FieldDef& f) { f.FieldName = std::string(60, 'i'); });
    QVERIFY(ui_->clickNode(QStringLiteral("AA0")));
    // A grid too narrow for such names gives them what the values leave, at
    // least two fifths of it...
    const int viewport = ui_->grid()->viewport()->width();
    QVERIFY(viewport < px(6000) + px(4500));
    QCOMPARE(header->sectionSize(0), std::max({px(1000), viewport - px(4500), viewport * 2 / 5}));
    QCOMPARE(header->sectionSize(1), std::max(viewport - header->sectionSize(0), px(4500)));
    // ... and a grid wide enough gives them what they need.
    form_->resize(form_->width() + px(6000) + px(4500), form_->height());
    QTRY_COMPARE(header->sectionSize(0), px(6000));
}

void ClaimFormTest::textWiderThanItsCharacterCountIsNotCutOff() {
    const std::string wide(52, 'W');
    editField("CA0", 3, [](qm::FieldDef& f) {
        f.Length = 60;
        f.FieldName = std::string(58, 'M');
        f.TypeCodes = "XR";
    });
    storeRecord("CA0", 1, lineWith("CA0", {{3, wide}}));
    showClaim();
    // Wide enough that the names need not give up room to the values.
    form_->resize(2000, 700);
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QFont bold = ui_->grid()->font();
    bold.setBold(true);
    QHeaderView* header = ui_->grid()->horizontalHeader();
    QVERIFY(header->sectionSize(0) >
            QFontMetrics(bold).horizontalAdvance(QString(58, QLatin1Char('M'))));
    QVERIFY(header->sectionSize(1) >
            QFontMetrics(ui_->grid()->font()).horizontalAdvance(QString::fromStdString(wide)));
}

void ClaimFormTest::valueClickAndKeysKeepTheNamesInSight() {
    showClaimWithALongValue();
    QTableWidget* grid = ui_->grid();
    QVERIFY(grid->horizontalScrollBar()->maximum() > 0);
    QCOMPARE(grid->horizontalScrollBar()->value(), 0);

    QVERIFY(ui_->clickGridRow(3));
    QCOMPARE(ui_->panel(1)->text(), QStringLiteral("CA0 : 03.0"));
    // An item view scrolls to a clicked cell a moment after the click.
    QTest::qWait(QApplication::doubleClickInterval() + 300);
    QCOMPARE(grid->horizontalScrollBar()->value(), 0);

    // The keyboard still brings the current row into sight.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    const int last = grid->rowCount() - 1;
    QCOMPARE(grid->currentRow(), last);
    QVERIFY(grid->viewport()->rect().contains(grid->visualItemRect(grid->item(last, 0)).center()));
    QCOMPARE(grid->horizontalScrollBar()->value(), 0);
}

void ClaimFormTest::nodeTreeIsClearedBeforeRefilling() {
    showClaim();
    form_->clearRecordTree();
    form_->addRecordNode(QStringLiteral("AA0"), QString());
    form_->addRecordNode(QStringLiteral("BA0"), QStringLiteral("AA0"));
    form_->addRecordNode(QStringLiteral("BA1"), QStringLiteral("AA0"));
    form_->addRecordNode(QStringLiteral("BA1"), QStringLiteral("BA0"));
    form_->Treeview1_Reset(QStringLiteral("BA0"));
    QCOMPARE(ui_->nodes(), (QStringList{QStringLiteral("AA0"), QStringLiteral("BA0<AA0"),
                                        QStringLiteral("BA1<AA0")}));
    QCOMPARE(ui_->selectedKey(), QStringLiteral("BA0"));
}

// Grid clicks

void ClaimFormTest::gridClickSelectsTheFieldAndDescribesIt() {
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("FA0-2")));
    const int charges = slotOf("FA0", "13.0");
    QVERIFY(ui_->clickGridRow(charges));
    const std::string line = record("FA0", 2).line;
    QCOMPARE(ui_->tbRecord()->selectionStart(), 70);
    QCOMPARE(ui_->tbRecord()->selectedText(), QString::fromStdString(line.substr(70, 7)));
    QCOMPARE(ui_->panelTexts(),
             (QStringList{QStringLiteral("FA0 : 13.0"), QStringLiteral("71 - 77"),
                          QStringLiteral("7"), QStringLiteral("NR")}));
    QTRY_VERIFY(ui_->tbRecord()->hasFocus());

    // The record type field: the first three characters.
    QVERIFY(ui_->clickGridRow(1, 0));
    QCOMPARE(ui_->tbRecord()->selectionStart(), 0);
    QCOMPARE(ui_->tbRecord()->selectedText(), QStringLiteral("FA0"));
    QCOMPARE(ui_->panel(2)->text(), QStringLiteral("1 - 3"));
    QCOMPARE(ui_->panel(3)->text(), QStringLiteral("3"));
}

void ClaimFormTest::lastFieldSelectsToTheEndOfTheLine() {
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("XA0")));
    const int last = layout("XA0").fieldCount();
    QCOMPARE(int(layout("XA0").field(last - 1).EndPos), 320);
    QVERIFY(ui_->clickGridRow(last));
    const QLineEdit* text = ui_->tbRecord();
    QCOMPARE(text->selectionStart() + text->selectedText().size(), 320);
    QCOMPARE(text->selectedText(), QString::fromStdString(recordLine("XA0").substr(290)));
}

void ClaimFormTest::selectionIsCutAtTheEndOfAShortLine() {
    storeRecord("CA0", 1, recordLine("CA0", 100));
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));

    // A field reaching beyond the end: cut at the end.
    editField("CA0", 2, [](qm::FieldDef& f) {
        f.StartPos = 95;
        f.Length = 20;
    });
    QVERIFY(ui_->clickGridRow(2));
    QCOMPARE(ui_->tbRecord()->selectionStart(), 94);
    QCOMPARE(ui_->tbRecord()->selectedText(),
             QString::fromStdString(recordLine("CA0", 100).substr(94)));

    // A field starting beyond the end: the caret at the end, nothing selected.
    editField("CA0", 3, [](qm::FieldDef& f) {
        f.StartPos = 150;
        f.Length = 5;
    });
    QVERIFY(ui_->clickGridRow(3));
    QVERIFY(!ui_->tbRecord()->hasSelectedText());
    QCOMPARE(ui_->tbRecord()->cursorPosition(), 100);
    QCOMPARE(ui_->panel(2)->text(), QStringLiteral("150 - %1").arg(layout("CA0").field(2).EndPos));
}

void ClaimFormTest::fieldBeforeColumnOneOrWithoutLengthSelectsNothing_data() {
    QTest::addColumn<int>("startPos");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("positions");
    QTest::newRow("column 0") << 0 << 5 << QStringLiteral("0 - 9");
    QTest::newRow("negative column") << -40 << 5 << QStringLiteral("-40 - 9");
    QTest::newRow("no length") << 10 << 0 << QStringLiteral("10 - 9");
    QTest::newRow("negative length") << 10 << -3 << QStringLiteral("10 - 9");
}

void ClaimFormTest::fieldBeforeColumnOneOrWithoutLengthSelectsNothing() {
    QFETCH(int, startPos);
    QFETCH(int, length);
    QFETCH(QString, positions);
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QVERIFY(ui_->clickGridRow(1));
    QVERIFY(ui_->tbRecord()->hasSelectedText());

    editField("CA0", 2, [&](qm::FieldDef& field) {
        field.StartPos = std::int16_t(startPos);
        field.Length = std::int16_t(length);
        field.EndPos = 9;
    });
    QVERIFY(ui_->clickGridRow(2));
    QVERIFY(!ui_->tbRecord()->hasSelectedText());
    QCOMPARE(ui_->panel(2)->text(), positions);
    QCOMPARE(ui_->panel(3)->text(), QString::number(length));
    QCOMPARE(ui_->tbRecord()->text(), QString::fromStdString(recordLine("CA0")));
}

void ClaimFormTest::clickingTheSameRowTwiceGivesTheSameResult() {
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QVERIFY(ui_->clickGridRow(3));
    const QStringList panels = ui_->panelTexts();
    const int start = ui_->tbRecord()->selectionStart();
    const QString selected = ui_->tbRecord()->selectedText();
    QVERIFY(!selected.isEmpty());
    QVERIFY(ui_->clickGridRow(3));
    QCOMPARE(ui_->panelTexts(), panels);
    QCOMPARE(ui_->tbRecord()->selectionStart(), start);
    QCOMPARE(ui_->tbRecord()->selectedText(), selected);
}

void ClaimFormTest::headerClickChangesNothing() {
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QVERIFY(ui_->clickGridRow(3));
    const QStringList panels = ui_->panelTexts();
    const QString selected = ui_->tbRecord()->selectedText();
    const int currentRow = ui_->grid()->currentRow();

    QVERIFY(ui_->clickHeader(0));
    QVERIFY(ui_->clickHeader(1));
    QCOMPARE(ui_->panelTexts(), panels);
    QCOMPARE(ui_->tbRecord()->selectedText(), selected);
    QCOMPARE(ui_->grid()->currentRow(), currentRow);
    QCOMPARE(ui_->fieldRows(), layout("CA0").fieldCount());
}

void ClaimFormTest::gridClickRightAfterResetDescribesButSelectsNothing() {
    showClaim();
    QVERIFY(ui_->clickGridRow(1));
    QCOMPARE(ui_->panel(1)->text(), QStringLiteral("CA0 : 01.0"));
    QVERIFY(ui_->tbRecord()->text().isEmpty());
    QVERIFY(!ui_->tbRecord()->hasSelectedText());
}

void ClaimFormTest::emptyRawLineHintsWhereItsLineComesFrom() {
    showClaim();
    RecordLineEdit* line = ui_->tbRecord();
    QVERIFY(line->text().isEmpty());
    QCOMPARE(line->hint(),
             QStringLiteral("Click a record on the left to see its line as read from the file"));
    // Whole in the box of the window's first-run size.
    form_->resize(px(6500), px(6500));
    QFontMetrics hintFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    QVERIFY(hintFont.horizontalAdvance(line->hint()) <= line->textArea().width());
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QCOMPARE(line->text(), QString::fromStdString(recordLine("CA0")));
    QVERIFY(line->hint().isEmpty());
    // A claim given afterwards is reset: the hint again.
    showClaim();
    QVERIFY(line->text().isEmpty());
    QVERIFY(!line->hint().isEmpty());
}

void ClaimFormTest::markedFieldIsScrolledWhollyIntoView() {
    showClaim();
    form_->resize(px(6500), 700);
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    RecordLineEdit* line = ui_->tbRecord();
    QVERIFY2(line->columnLeft(321) - line->columnLeft(1) > line->textArea().width(),
             "the line is wider than its box");
    // Both edges of the field's characters within the box, as drawn.
    auto wholly = [line](int first, int last) {
        line->repaint();
        const QRect area = line->textArea();
        return line->columnLeft(first) >= area.left() - 1 &&
               line->columnLeft(last + 1) <= area.right() + 2;
    };
    const qm::RecordLayout& fields = layout("CA0");
    const int last = fields.fieldCount() - 1;
    for (int slot : {last, 1, last - 1, 2, last, 3}) {
        QVERIFY(ui_->clickGridRow(slot));
        const qm::FieldDef& field = fields.field(slot - 1);
        QVERIFY2(wholly(field.StartPos, field.EndPos), field.FieldId.c_str());
    }
    // Home in the grid after a field at the end of the line.
    QTableWidget* grid = ui_->grid();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_End);
    // The filler, wider than the box: from its start.
    QVERIFY(wholly(fields.field(last).StartPos, fields.field(last).StartPos));
    QTest::keyClick(grid, Qt::Key_Home);
    QCOMPARE(ui_->panel(2)->text(), QStringLiteral("1 - 3"));
    QVERIFY(wholly(1, 3));

    // A field wider than the box shows from its start.
    editField("CA0", 2, [](qm::FieldDef& f) {
        f.StartPos = 4;
        f.Length = 317;
    });
    QVERIFY(ui_->clickGridRow(last));
    QVERIFY(ui_->clickGridRow(2));
    QCOMPARE(line->selectionStart(), 3);
    QCOMPARE(line->selectedText().size(), 317);
    QVERIFY(wholly(4, 4));
}

void ClaimFormTest::gridClickWithoutASelectedNodeDoesNothing() {
    showClaim();
    ui_->tree()->clearSelection();
    QVERIFY(ui_->clickGridRow(2));
    QCOMPARE(ui_->panelTexts(), QStringList(4));
}

void ClaimFormTest::otherNodeEmptiesPanelsOneToThreeAndDescribesItsOwnFields() {
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QVERIFY(ui_->clickGridRow(1));
    QCOMPARE(ui_->panel(4)->text(), QStringLiteral("XR"));

    // Panel 4 keeps the type letters of the last field clicked.
    QVERIFY(ui_->clickNode(QStringLiteral("XA0")));
    QCOMPARE(ui_->panelTexts(),
             (QStringList{QString(), QString(), QString(), QStringLiteral("XR")}));
    const int claimCharges = slotOf("XA0", "12.0");
    QVERIFY(ui_->clickGridRow(claimCharges));
    QCOMPARE(ui_->panel(1)->text(), QStringLiteral("XA0 : 12.0"));
    QCOMPARE(ui_->panel(4)->text(), QStringLiteral("N"));
}

// Keys, ruler, copy

void ClaimFormTest::frozenNamesStayWhileTheGridScrollsSideways() {
    showClaimWithALongValue();
    QTableWidget* grid = ui_->grid();
    QTableView* names = ui_->names();
    QVERIFY(names && names->isVisible());
    QScrollBar* across = grid->horizontalScrollBar();
    QVERIFY(across->maximum() > 0);
    across->setValue(across->maximum());
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    QCOMPARE(names->verticalScrollBar()->value(), grid->verticalScrollBar()->value());

    // Over the left of the grid's cells, the names of the rows drawn there.
    QCOMPARE(names->geometry().left(), grid->viewport()->geometry().left());
    QCOMPARE(names->columnWidth(0), grid->columnWidth(0));
    const int y = grid->visualItemRect(grid->item(grid->rowCount() - 2, 1)).center().y();
    const QPoint place = grid->viewport()->mapTo(form_.get(), QPoint(3, y));
    QCOMPARE(form_->childAt(place), names->viewport());
    const QModelIndex name = names->indexAt(names->viewport()->mapFrom(form_.get(), place));
    QCOMPARE(name.row(), grid->rowCount() - 2);
    QCOMPARE(name.data().toString(), ui_->name(ui_->fieldRows() - 1));

    // A click on a name is a click on its row; the values stay scrolled.
    QTest::mouseClick(names->viewport(), Qt::LeftButton, {},
                      names->viewport()->mapFrom(form_.get(), place));
    QCOMPARE(ui_->panel(1)->text(),
             QStringLiteral("CA0 : ") +
                 QString::fromStdString(layout("CA0").field(ui_->fieldRows() - 2).FieldId));
    QCOMPARE(across->value(), across->maximum());
}

void ClaimFormTest::currentRowIsFramedAndAnInvalidValueStaysRed() {
    // A short value, so that its cell is mostly red.
    record("CA0").fields[5].valid = false;
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QVERIFY(ui_->clickGridRow(6));
    QTableWidget* grid = ui_->grid();
    QCOMPARE(grid->currentRow(), frmClaimForm::tableRowOfGridRow(6));
    const QImage shot = grid->viewport()->grab().toImage();
    const QColor frame = grid->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect current = grid->visualItemRect(ui_->valueCell(6)) & grid->viewport()->rect();
    QCOMPARE(shot.pixelColor(current.center().x(), current.top()), frame);
    QCOMPARE(shot.pixelColor(current.center().x(), current.bottom()), frame);
    QCOMPARE(shot.pixelColor(current.right() - 1, current.center().y()), QColor(255, 0, 0));
    const QRect other = grid->visualItemRect(ui_->valueCell(5)) & grid->viewport()->rect();
    QCOMPARE(shot.pixelColor(other.center().x(), other.top()), QColor(255, 255, 255));
}

void ClaimFormTest::keysInTheGridWalkTheFields_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("from");
    // to: the row the key leads to; kPageDown / kPageUp a page away, kLast the last row
    QTest::addColumn<int>("to");
    QTest::newRow("Down") << int(Qt::Key_Down) << 3 << 4;
    QTest::newRow("Up") << int(Qt::Key_Up) << 3 << 2;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 1 << kPageDown;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << 30 << kPageUp;
    QTest::newRow("Home") << int(Qt::Key_Home) << 7 << 1;
    QTest::newRow("End") << int(Qt::Key_End) << 7 << kLast;
}

void ClaimFormTest::keysInTheGridWalkTheFields() {
    QFETCH(int, key);
    QFETCH(int, from);
    QFETCH(int, to);
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QVERIFY(ui_->clickGridRow(from));
    QTableWidget* grid = ui_->grid();
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    // The field stays marked in the raw line without the focus.
    QVERIFY(ui_->tbRecord()->hasSelectedText());

    QTest::keyClick(grid, Qt::Key(key));
    const int row = frmClaimForm::gridRowOfTableRow(grid->currentRow());
    if (to == kPageDown)
        QVERIFY(row > from + 1);
    else if (to == kPageUp)
        QVERIFY(row < from - 1);
    else if (to == kLast)
        QCOMPARE(row, ui_->fieldRows());
    else
        QCOMPARE(row, to);
    const qm::FieldDef& field = layout("CA0").field(row - 1);
    QCOMPARE(ui_->panel(1)->text(),
             QStringLiteral("CA0 : ") + QString::fromStdString(field.FieldId));
    QCOMPARE(ui_->tbRecord()->selectionStart(), field.StartPos - 1);
    QCOMPARE(ui_->tbRecord()->selectionLength(), int(field.Length));
    QVERIFY(grid->hasFocus());
}

void ClaimFormTest::upAndDownInTheRawLineWalkTheFields() {
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QVERIFY(ui_->clickGridRow(2));
    RecordLineEdit* line = ui_->tbRecord();
    QTRY_VERIFY(line->hasFocus());
    const std::string raw = recordLine("CA0");
    auto shows = [&](const char* id, int start, int length) {
        return ui_->panel(1)->text() == QStringLiteral("CA0 : ") + QLatin1String(id) &&
               line->selectedText() == QString::fromStdString(raw.substr(start - 1, length)) &&
               line->hasFocus();
    };
    QTest::keyClick(line, Qt::Key_Down);
    QVERIFY(shows("03.0", 6, 17));
    QTest::keyClick(line, Qt::Key_Down);
    QVERIFY(shows("04.0", 23, 20));
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(line, Qt::Key_Up);
    QVERIFY(shows("01.0", 1, 3));
}

void ClaimFormTest::rulerTicksStandOverTheirColumns() {
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    RecordLineEdit* line = ui_->tbRecord();
    ColumnRuler* ruler = ui_->ruler();
    QCOMPARE(ruler->font(), line->font());
    QCOMPARE(ruler->x(), line->x());
    const QColor ink = ruler->palette().color(QPalette::WindowText);
    const qreal pitch = line->columnLeft(2) - line->columnLeft(1);
    // At the start of the line, and scrolled to its end: as shown on the screen.
    for (int caret : {0, 320}) {
        line->setCursorPosition(caret);
        QTest::qWait(50);
        const QPoint rulerAt = ruler->mapTo(form_.get(), QPoint());
        const QImage shot = form_->screen()
                                ->grabWindow(form_->winId(), rulerAt.x(), rulerAt.y(),
                                             ruler->width(), ruler->height())
                                .toImage();
        const QRect text = line->textArea();
        int checked = 0;
        for (int column = 10; column <= 320; column += 10) {
            const qreal x = ruler->columnCentre(column);
            if (x < text.left() + pitch || x > text.right() - pitch)
                continue;
            // Just left of the centre is before the middle of the column's own
            // character (its digit is the column's last), just right is after it.
            const int y = line->height() / 2;
            QCOMPARE(line->cursorPositionAt(QPoint(qRound(x - 1), y)), column - 1);
            QCOMPARE(line->cursorPositionAt(QPoint(qRound(x + 1), y)), column);
            QCOMPARE(line->text().at(column - 1), QLatin1Char('0'));
            bool tick = false;
            for (int dx = -1; dx <= 1; ++dx)
                tick = tick || shot.pixelColor(int(x) + dx, shot.height() - 2) == ink;
            QVERIFY2(tick, qPrintable(QStringLiteral("no tick over column %1").arg(column)));
            ++checked;
        }
        QVERIFY(checked >= 5);
    }
}

void ClaimFormTest::rawLineColumnShowsItsField_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("field"); // empty: in no field
    QTest::newRow("first column of a field") << 23 << QStringLiteral("04.0");
    QTest::newRow("last column of a field") << 42 << QStringLiteral("04.0");
    QTest::newRow("first column of the next") << 43 << QStringLiteral("05.0");
    QTest::newRow("column 1") << 1 << QStringLiteral("01.0");
    QTest::newRow("beyond the layout") << 325 << QString();
}

void ClaimFormTest::rawLineColumnShowsItsField() {
    QFETCH(int, column);
    QFETCH(QString, field);
    storeRecord("CA0", 1, recordLine("CA0", 330));
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    RecordLineEdit* line = ui_->tbRecord();
    auto check = [&] {
        if (field.isEmpty()) {
            QCOMPARE(ui_->grid()->currentRow(), -1);
            QCOMPARE(ui_->panelTexts(), QStringList(4));
            return;
        }
        const int index = layout("CA0").indexOf(field.toStdString());
        QCOMPARE(ui_->grid()->currentRow(), frmClaimForm::tableRowOfGridRow(index + 1));
        QCOMPARE(ui_->panel(1)->text(), QStringLiteral("CA0 : ") + field);
        // The caret is the user's: nothing is selected for them.
        QVERIFY(!line->hasSelectedText());
    };
    // By a click on the character...
    QVERIFY(ui_->clickGridRow(10));
    line->setCursorPosition(column > 160 ? 320 : 0);
    line->repaint();
    QVERIFY(ui_->clickRawColumn(column));
    check();
    // ... and by the caret moved onto it with the keys.
    QVERIFY(ui_->clickGridRow(10));
    line->setCursorPosition(column);
    QTest::keyClick(line, Qt::Key_Left);
    QCOMPARE(line->cursorPosition(), column - 1);
    check();
}

void ClaimFormTest::rawLineToolTipNamesTheFieldUnderTheMouse() {
    storeRecord("CA0", 1, recordLine("CA0", 330));
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    RecordLineEdit* line = ui_->tbRecord();
    auto toolTipAt = [line](int column) {
        const int x = int((line->columnLeft(column) + line->columnLeft(column + 1)) / 2);
        const QPoint at(x, line->height() / 2);
        QHelpEvent event(QEvent::ToolTip, at, line->mapToGlobal(at));
        QApplication::sendEvent(line, &event);
        return QToolTip::text();
    };
    QCOMPARE(toolTipAt(42),
             PlainText::toolTip(QStringLiteral("CA0 04.0 Patient Last Name, columns 23\u201342")));
    QCOMPARE(toolTipAt(1),
             PlainText::toolTip(QStringLiteral("CA0 01.0 Record ID, columns 1\u20133")));
    line->setCursorPosition(330);
    line->repaint();
    QCOMPARE(toolTipAt(325), QStringLiteral("Record (line) as read from the NSF file"));
}

void ClaimFormTest::copyCommandsPutTheirTextOnTheClipboard() {
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QClipboard* clipboard = QGuiApplication::clipboard();
    const std::string line = recordLine("CA0");
    auto fieldText = [&](const qm::RecordLayout& fields, const std::string& raw, int slot) {
        const qm::FieldDef& f = fields.field(slot - 1);
        return QStringLiteral("%1\t%2\t%3\t%4-%5")
            .arg(QString::fromStdString(f.FieldId), QString::fromStdString(f.FieldName),
                 QString::fromStdString(
                     raw.substr(std::size_t(f.StartPos - 1), std::size_t(f.Length))))
            .arg(f.StartPos)
            .arg(f.EndPos);
    };
    auto recordText = [&](const char* type, const std::string& raw) {
        QString text;
        for (int slot = 1; slot <= layout(type).fieldCount(); ++slot)
            text += fieldText(layout(type), raw, slot) + QLatin1Char('\n');
        return text;
    };
    QWidget* gridPlace = ui_->grid()->viewport();
    const QPoint row4 = ui_->grid()->visualItemRect(ui_->valueCell(4)).center();

    QVERIFY(ClaimFormDriver::chooseFromContextMenu(gridPlace, row4,
                                                   QStringLiteral("mnuGridCopyValue")));
    QCOMPARE(clipboard->text(), QString::fromStdString(line.substr(22, 20)));
    // The row asked about is the current one.
    QCOMPARE(ui_->panel(1)->text(), QStringLiteral("CA0 : 04.0"));
    QVERIFY(ClaimFormDriver::chooseFromContextMenu(gridPlace, row4,
                                                   QStringLiteral("mnuGridCopyField")));
    QCOMPARE(clipboard->text(), fieldText(layout("CA0"), line, 4));
    QVERIFY(ClaimFormDriver::chooseFromContextMenu(gridPlace, row4,
                                                   QStringLiteral("mnuGridCopyRecord")));
    QCOMPARE(clipboard->text(), recordText("CA0", line));

    // Ctrl+C in the grid: the current row's value, though Edit > Copy is off.
    clipboard->clear();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    ui_->grid()->setFocus();
    QTRY_VERIFY(ui_->grid()->hasFocus());
    QTest::keyClick(ui_->grid(), Qt::Key_Down);
    QTest::keyClick(ui_->grid(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QString::fromStdString(line.substr(42, 12)));

    QVERIFY(ClaimFormDriver::chooseFromContextMenu(ui_->tbRecord(), QPoint(5, 5),
                                                   QStringLiteral("mnuRecordCopyLine")));
    QCOMPARE(clipboard->text(), QString::fromStdString(line));

    QTreeWidget* tree = ui_->tree();
    const QPoint fa02 = tree->visualItemRect(ui_->node(QStringLiteral("FA0-2"))).center();
    QVERIFY(ClaimFormDriver::chooseFromContextMenu(tree->viewport(), fa02,
                                                   QStringLiteral("mnuTreeCopyRecord")));
    QCOMPARE(clipboard->text(), recordText("FA0", record("FA0", 2).line));
    QVERIFY(ClaimFormDriver::chooseFromContextMenu(tree->viewport(), fa02,
                                                   QStringLiteral("mnuTreeCopyClaim")));
    const QJsonArray claims = QJsonDocument::fromJson(clipboard->text().toUtf8()).array();
    QCOMPARE(claims.size(), 1);
    QCOMPARE(claims[0][QStringLiteral("key")].toString(), QStringLiteral("CA0967"));
    QCOMPARE(claims[0][QStringLiteral("records")][QStringLiteral("FA0-2")][QStringLiteral("line")]
                 .toString(),
             QString::fromStdString(record("FA0", 2).line));

    // Nothing to copy off the nodes, nor a line after a reset.
    const QPoint offTheNodes(5, tree->viewport()->height() - 2);
    QVERIFY(!tree->itemAt(offTheNodes));
    QVERIFY(!ClaimFormDriver::chooseFromContextMenu(tree->viewport(), offTheNodes,
                                                    QStringLiteral("mnuTreeCopyRecord")));
    form_->Treeview1_Reset(QStringLiteral("CA0"));
    QVERIFY(!ClaimFormDriver::chooseFromContextMenu(ui_->tbRecord(), QPoint(5, 5),
                                                    QStringLiteral("mnuRecordCopyLine")));
}

// What the totals check left unsaid

void ClaimFormTest::totalsNoteSaysWhatWasNotChecked_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("note");
    QTest::newRow("no trailer") << int(qm::TotalsState::NoTrailer)
                                << QStringLiteral("This claim has no XA0 trailer of its own: its "
                                                  "counts and amounts were not checked.");
    QTest::newRow("could not check")
        << int(qm::TotalsState::CouldNotCheck)
        << QStringLiteral("This claim's totals could not be checked: the map file lacks XA0 "
                          "fields that the check compares.");
    QTest::newRow("checked") << int(qm::TotalsState::Ok) << QString();
    QTest::newRow("do not compute") << int(qm::TotalsState::DoNotCompute) << QString();
    QTest::newRow("batch") << int(qm::TotalsState::NotAClaim) << QString();
}

void ClaimFormTest::totalsNoteSaysWhatWasNotChecked() {
    QFETCH(int, state);
    QFETCH(QString, note);
    claim_.totals.state = qm::TotalsState(state);
    showClaim();
    auto* label = form_->findChild<QLabel*>(QStringLiteral("lblTotals"));
    QVERIFY(label);
    QCOMPARE(label->isVisible(), !note.isEmpty());
    QCOMPARE(ui_->grid()->y(), note.isEmpty() ? 0 : label->height());
    if (!note.isEmpty()) {
        QCOMPARE(label->text(), note);
        QVERIFY(label->geometry().bottom() < ui_->grid()->geometry().top());
    }
}

void ClaimFormTest::cutLineIsSaidToBeCut() {
    record("FA0", 2).lineCut = true;
    showClaim();
    auto* label = form_->findChild<QLabel*>(QStringLiteral("lblTotals"));
    QVERIFY(ui_->clickNode(QStringLiteral("FA0-2")));
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(),
             QStringLiteral("This record's line is longer than 320 characters; only its first "
                            "320 are shown."));
    QVERIFY(ui_->clickNode(QStringLiteral("FA0-1")));
    QVERIFY(!label->isVisible());
}

void ClaimFormTest::mismatchedTrailerCellsTellBothFigures() {
    const int charges = layout("XA0").indexOf("12.0");
    const int count = layout("XA0").indexOf("04.0");
    claim_.totals.state = qm::TotalsState::DoNotCompute;
    claim_.totals.compared = {{count, "04.0", "01", 1, true},
                              {charges, "12.0", "0015751", 15750, false}};
    showClaim();
    QVERIFY(ui_->clickNode(QStringLiteral("XA0")));
    QCOMPARE(ui_->valueCell(charges + 1)->toolTip(),
             PlainText::toolTip(QStringLiteral(
                 "Total Claim Charges: the XA0 states 0015751, the lines add up to 0015750")));
    QVERIFY(ui_->valueCell(count + 1)->toolTip().isEmpty());
    // Only the claim's own trailer: another record's cells tell nothing.
    QVERIFY(ui_->clickNode(QStringLiteral("CA0")));
    QVERIFY(ui_->valueCell(charges + 1)->toolTip().isEmpty());
}

// Layout

void ClaimFormTest::firstShownAtItsDefaultPlace() {
    const WindowPositions::Place defaults =
        WindowPositions::defaultsFor(QStringLiteral("frmClaimForm"));
    QCOMPARE(defaults.left, 1000.0f);
    QCOMPARE(defaults.top, 1000.0f);
    QCOMPARE(defaults.width, 6500.0f);
    QCOMPARE(defaults.height, 6500.0f);
    DocumentWindow* document = showInDocumentArea();
    QVERIFY(document);
    QCOMPARE(document->geometry(), QRect(px(1000), px(1000), px(6500), px(6500)));
    QCOMPARE(document->windowTitle(), QStringLiteral("Claim Form"));
}

void ClaimFormTest::panesStartAsDesignedAndFollowTheLayoutRules() {
    DocumentWindow* document = showInDocumentArea();
    QVERIFY(document);
    auto* form = static_cast<frmClaimForm*>(document->widget());
    ClaimFormDriver ui(form);
    QSplitter* across = ui.splitter("splitClaimForm");
    QSplitter* down = ui.splitter("splitRecord");
    QVERIFY(across && down);
    QCOMPARE(across->parentWidget(), static_cast<QWidget*>(down));
    auto pane = [form](const char* name) {
        return form->findChild<QWidget*>(QLatin1String(name))->geometry();
    };
    const int rulerHeight = ui.ruler()->height();
    QVERIFY(rulerHeight > QFontMetrics(ui.tbRecord()->font()).height());

    // The grid pane and the raw line's pane as designed, the tree the rest.
    QCOMPARE(across->sizes(),
             (QList<int>{across->width() - across->handleWidth() - px(4740), px(4740)}));
    QCOMPARE(down->sizes().last(), rulerHeight + px(330));

    // The controls keep their places in their panes, whatever the panes' sizes.
    document->resize(600, 500);
    across->setSizes({150, 300});
    const QRect status = form->findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->geometry();
    QCOMPARE(status, QRect(0, form->height() - px(375), form->width(), px(375)));
    QCOMPARE(down->geometry(), QRect(0, 0, form->width(), status.top()));
    const QRect tree = pane("PictureTree");
    QCOMPARE(ui.tree()->geometry(), QRect(0, 0, tree.width() - px(100), tree.height() - px(100)));
    const QRect grid = pane("PictureGrid");
    QCOMPARE(ui.grid()->geometry(), QRect(0, 0, grid.width() - px(110), grid.height() - px(110)));
    const QRect text = pane("PictureText");
    QCOMPARE(ui.ruler()->geometry(), QRect(0, 0, text.width() - px(10), rulerHeight));
    QCOMPARE(ui.tbRecord()->geometry(), QRect(0, rulerHeight, text.width() - px(10), px(285)));
    // The tree itself stays clear of the grid pane.
    QVERIFY(tree.right() < grid.left());
}

void ClaimFormTest::wideningWidensTheGridAndTheRawLine() {
    DocumentWindow* document = showInDocumentArea();
    QVERIFY(document);
    auto* form = static_cast<frmClaimForm*>(document->widget());
    ClaimFormDriver ui(form);
    auto size = [form](const char* name) {
        return form->findChild<QWidget*>(QLatin1String(name))->size();
    };
    const QSize tree = size("PictureTree");
    const QSize grid = size("PictureGrid");
    const QSize text = size("PictureText");
    const int line = ui.tbRecord()->width();
    document->resize(document->width() + 120, document->height() + 80);
    QCOMPARE(size("PictureTree"), tree + QSize(0, 80));
    QCOMPARE(size("PictureGrid"), grid + QSize(120, 80));
    QCOMPARE(size("PictureText"), text + QSize(120, 0));
    QCOMPARE(ui.tbRecord()->width(), line + 120);
}

void ClaimFormTest::splitterSizesAreRememberedWithThePlace() {
    DocumentWindow* document = showInDocumentArea();
    QVERIFY(document);
    ClaimFormDriver ui(static_cast<frmClaimForm*>(document->widget()));
    // The user drags the divider between tree and grid, and the raw line's.
    auto drag = [](QSplitter* splitter, QPoint by) {
        QSplitterHandle* handle = splitter->handle(1);
        const QPoint from = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, from);
        QTest::mouseMove(handle, from + by);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, from + by);
    };
    const QList<int> across = ui.splitter("splitClaimForm")->sizes();
    const QList<int> down = ui.splitter("splitRecord")->sizes();
    drag(ui.splitter("splitClaimForm"), {40, 0});
    drag(ui.splitter("splitRecord"), {0, -30});
    const QList<int> draggedAcross{across[0] + 40, across[1] - 40};
    const QList<int> draggedDown{down[0] - 30, down[1] + 30};
    QCOMPARE(ui.splitter("splitClaimForm")->sizes(), draggedAcross);
    QCOMPARE(ui.splitter("splitRecord")->sizes(), draggedDown);
    document->close();
    auto stored = [this](const char* name) {
        return QSettings(GuiTest::settingsFile(*dir_), QSettings::IniFormat)
            .value(QStringLiteral("Splitters/") + QLatin1String(name))
            .toString();
    };
    QCOMPARE(stored("splitClaimForm"),
             QStringLiteral("%1 %2").arg(draggedAcross[0] * 15).arg(draggedAcross[1] * 15));

    auto reopen = [this] {
        DocumentWindow* again = area_->addDocument(new frmClaimForm());
        return ClaimFormDriver(static_cast<frmClaimForm*>(again->widget()));
    };
    ClaimFormDriver again = reopen();
    QCOMPARE(again.splitter("splitClaimForm")->sizes(), draggedAcross);
    QCOMPARE(again.splitter("splitRecord")->sizes(), draggedDown);

    // Sizes that make no sense give the designed ones again.
    area_->closeAllSubWindows();
    QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Splitters/splitClaimForm"), QStringLiteral("12 x"));
    settings.setValue(QStringLiteral("Splitters/splitRecord"), QStringLiteral("5"));
    settings.sync();
    ClaimFormDriver third = reopen();
    QCOMPARE(third.splitter("splitClaimForm")->sizes(), across);
    QCOMPARE(third.splitter("splitRecord")->sizes(), down);
}

void ClaimFormTest::windowIsNeverSmallerThan5000Twips() {
    DocumentWindow* document = showInDocumentArea();
    QVERIFY(document);
    document->resize(100, 600);
    QCOMPARE(document->size(), QSize(px(5000), 600));
    document->resize(600, 100);
    QCOMPARE(document->size(), QSize(600, px(5000)));
    // The smallest window still holds both panes side by side.
    document->resize(10, 10);
    QSplitter* across =
        ClaimFormDriver(static_cast<frmClaimForm*>(document->widget())).splitter("splitClaimForm");
    const QList<int> sizes = across->sizes();
    QVERIFY(sizes[0] > 0 && sizes[1] > 0);
    QCOMPARE(sizes[0] + across->handleWidth() + sizes[1], across->width());

    // A remembered size below the smallest gives the smallest.
    document->close();
    QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Settings/frmClaimFormWidth"), QStringLiteral("1500"));
    settings.sync();
    auto* again = area_->addDocument(new frmClaimForm());
    QCOMPARE(again->width(), px(5000));
}

void ClaimFormTest::minimizingAndRestoringKeepsTheSize() {
    DocumentWindow* document = showInDocumentArea();
    QVERIFY(document);
    document->resize(500, 450);
    document->showMinimized();
    QTRY_VERIFY(document->isMinimized());
    document->showNormal();
    QTRY_VERIFY(!document->isMinimized());
    QCOMPARE(document->size(), QSize(500, 450));
    QCOMPARE(document->minimumSize(), QSize(px(5000), px(5000)));
}

QTEST_MAIN(ClaimFormTest)
#include "ClaimFormTest.moc"
