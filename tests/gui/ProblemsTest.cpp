// The whole-file check in the viewer: its rows, counts and marks against
// `quillmark-cli --json check` on files with every kind of problem, the
// problems window (the Where column, sorting, filters, opening what a row is
// about), F8, the tree's "Only claims with problems", a file that changes
// while it is checked, stopping a running check (Cancel, File > Close,
// opening another file) and File > Export Problems.
#include "ClaimFileBuilder.h"
#include "ClaimFormDriver.h"
#include "GeneratedFiles.h"
#include "GuiTest.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"
#include "core/check/Problem.h"
#include "core/check/ProblemWords.h"
#include "core/filetree/FileTree.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/CountText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/ElidedLabel.h"
#include "gui/common/FileDialog.h"
#include "gui/common/FilterBar.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/document/AppContext.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemIcons.h"
#include "gui/document/ProblemKind.h"
#include "gui/document/ProblemText.h"
#include "gui/document/RulesChoice.h"
#include "gui/filetree/FileTreeModel.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/problems/ProblemGroupsView.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/rules/frmRules.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <QTreeWidget>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

constexpr int kCheckTimeoutMs = 30000;
// A file in which a rule of each severity fails (one of samples/larkspur.rules
// an error), besides totals that do not compute.
const QString kRulesFileArguments =
    QStringLiteral("--claims 40 --batches 2 --seed 7 --wrong-totals 3 --late-service 5 "
                   "--unlisted-code 6");

// What `quillmark-cli --json check` says of a file.
struct CliCheck {
    QJsonArray problems;
    QJsonObject summary;
    QMap<QString, QString> claimTexts; // by key
};

CliCheck runCli(const QString& file, const QString& mapsDir, const QString& rules = QString()) {
    QProcess cli;
    QStringList arguments{QStringLiteral("--maps"), mapsDir, QStringLiteral("--json"),
                          QStringLiteral("check"), file};
    if (!rules.isEmpty())
        arguments << QStringLiteral("--rules") << rules;
    cli.start(QStringLiteral(QUILLMARK_CLI), arguments);
    cli.waitForFinished(60000);
    const QJsonObject document = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    CliCheck result{
        document.value(u"problems").toArray(), document.value(u"summary").toObject(), {}};
    for (const QJsonValue& claim : document.value(u"claims").toArray())
        result.claimTexts[claim[u"key"].toString()] = claim[u"text"].toString();
    return result;
}

qm::Problem::Kind kindOf(const QString& key) {
    for (int kind = 0; kind < qm::Problem::kKindCount; ++kind)
        if (key.toStdString() == qm::ProblemWords::kindKey(qm::Problem::Kind(kind)))
            return qm::Problem::Kind(kind);
    qFatal("no kind %s", qPrintable(key));
}

// A row's severity as the window words it.
QString severityOf(const QString& key) {
    return key.left(1).toUpper() + key.mid(1);
}

// What marks a row of the JSON: its kind, and a rule's severity.
qm::Problem problemOf(const QJsonObject& json) {
    qm::Problem problem;
    problem.kind = kindOf(json[u"kind"].toString());
    const QString severity = json[u"severity"].toString();
    problem.ruleSeverity = severity == u"error"     ? qm::Problem::Severity::Error
                           : severity == u"warning" ? qm::Problem::Severity::Warning
                                                    : qm::Problem::Severity::Note;
    return problem;
}

// The tree window's problem counts for the command line's summary.
QString statusOf(const QJsonObject& summary) {
    if (summary[u"problems"].toInteger() == 0)
        return QStringLiteral("No problems found");
    return QStringLiteral("Problems: ") +
           ProblemText::counts(summary[u"claims_with_problems"].toInteger(),
                               summary[u"batches_with_problems"].toInteger(),
                               summary[u"file_problems"].toInteger());
}

QString text(const QJsonValue& value) {
    return value.isDouble() ? QString::number(qint64(value.toDouble())) : value.toString();
}

// A JSON row's cells as the window's export columns give them, up to the patient's name.
QStringList wantedCells(const QJsonObject& json, const QString& nodeText) {
    const QString where = json[u"where"].toString();
    const QString batch = json[u"batch"].toString();
    const QString claim = json[u"claim"].toString();
    const QJsonValue expected = json[u"expected"];
    // The window shows a trailer's count or amount without its padding.
    const QString kind = json[u"kind"].toString();
    const bool figure = kind == u"totals_do_not_compute" || kind == u"trailer_does_not_balance";
    const QString found = figure ? text(json[u"found"]).trimmed() : text(json[u"found"]);
    const QStringList want{where == u"file"    ? QStringLiteral("File")
                           : where == u"batch" ? batch
                                               : claim,
                           text(json[u"line"]),
                           nodeText,
                           json[u"text"].toString().section(QStringLiteral(": "), 0, 0),
                           severityOf(json[u"severity"].toString()),
                           json[u"rule"].toString(),
                           json[u"record"].toString(),
                           json[u"id"].toString(),
                           json[u"name"].toString(),
                           found,
                           text(expected)};
    return want;
}

QImage image(const QVariant& icon) {
    return icon.value<QIcon>().pixmap(16, 16).toImage();
}

QString plain(const QVariant& toolTip) {
    // As shown: its blanks are kept from breaking.
    return QTextDocumentFragment::fromHtml(toolTip.toString())
        .toPlainText()
        .replace(QChar::Nbsp, QLatin1Char(' '));
}

unsigned bit(ProblemKind kind) {
    return 1u << unsigned(kind);
}

ProblemKind worstOf(unsigned kinds) {
    int kind = 0;
    while (!(kinds & (1u << kind)))
        ++kind;
    return ProblemKind(kind);
}

} // namespace

class ProblemsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void rowsCountsAndMarksAreTheCommandLines_data();
    void rowsCountsAndMarksAreTheCommandLines();
    void problemsWindowListsSortsAndFilters();
    void eachRowOpensWhatItIsAbout_data();
    void eachRowOpensWhatItIsAbout();
    void f8WalksTheClaimsWithProblems();
    void onlyClaimsWithProblemsGrowsWhileTheCheckRuns();
    void cancelKeepsWhatWasFoundAndCheckAgainFinishes();
    void aFileThatChangesWhileCheckedIsNoVerdict_data();
    void aFileThatChangesWhileCheckedIsNoVerdict();
    void aFileHeaderMarkedAfterNodesBelowItIsListedInOrder();
    void closingOrOpeningAnotherFileStopsTheCheck_data();
    void closingOrOpeningAnotherFileStopsTheCheck();
    void exportWritesTheRows();
    void theCountsStayWholeWhileChecking();
    void theStatusGivesWayInANarrowTree();
    void theRulesViewCountsEachRuleAndKind();
    void rulesWindowChoosesFilesAndSaysWhyOneDoesNotLoad();

private:
    QString writeTwoBatchFile(const QString& name);
    QString generate(const QString& name, const QString& arguments);
    // A file of a few records in which the check finds what no generated
    // file has: a YA0 outside a batch, an unknown type, a second file header,
    // and more short lines than it lists.
    QString writeOddFile(const QString& name);
    // A copy of the maps without the definitions that begin so.
    QString mapsWithout(const QString& name, const QStringList& definitions);
    bool start(const QString& path, const QString& mapsDir = QStringLiteral(MAPS_DIR));
    frmNSFTree* tree() const;
    // The whole-file check of the tree window.
    ProblemCheck& check() const { return *qobject_cast<ProblemCheck*>(tree()->problemMarks()); }
    frmProblems* problemsWindow() const;
    frmProblems* openProblemsWindow();
    bool waitForCheck();
    QString treeStatus() const;
    // The problems window's rows as shown, one line a row, cells joined by '|'.
    QStringList shownRows() const;
    // A row's cells as the export writes them (found and expected as stored).
    static QStringList storedColumns(const ProblemTableModel& model, int row);
    // Whether the sample's wrong total shows as money, the stored digits on hover.
    static bool totalShowsAsMoney(const ProblemTableModel& model, int row);
    // The marks: claims with problems, file headers and batches with their own
    // (the full mark) or above claims with problems (a smaller one).
    void checkTreeMarks(const QMap<QString, unsigned>& claimMarks,
                        const QMap<qint64, unsigned>& own, const QMap<qint64, QString>& ownFirst);
    void slowDownChecks();

    // Claim and map files, for the whole run (data functions write them too).
    QTemporaryDir files_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
};

void ProblemsTest::initTestCase() {
    GuiTest::initTestCase();
    QVERIFY(files_.isValid());
}

void ProblemsTest::init() {
    dir_ = GuiTest::isolatedFolder();
    context_ = GuiTest::context();
}

void ProblemsTest::cleanup() {
    main_.reset();
    context_.reset();
    GuiTest::release();
    dir_.reset();
}

QString ProblemsTest::writeTwoBatchFile(const QString& name) {
    const NsfRecords records(MAPS_DIR, "nsf0301.map");
    TwoBatchFile::Options options;
    options.invalidServiceDate = true;
    const TwoBatchFile file(records, options);
    const QString path = files_.filePath(name);
    file.text.write(path);
    return path;
}

QString ProblemsTest::generate(const QString& name, const QString& arguments) {
    const QString path = files_.filePath(name);
    GeneratedFiles::write(QStringList{QStringLiteral("--version"), QStringLiteral("00301")} +
                              arguments.split(QLatin1Char(' ')),
                          path);
    return path;
}

QString ProblemsTest::writeOddFile(const QString& name) {
    const NsfRecords records(MAPS_DIR, "nsf0301.map");
    ClaimFileBuilder file;
    file.add(records.fileHeader("SUB", "00301"))
        .add(records.record("BA0", {{"06.0", "123456789"}}))
        .add(records.record("CA0", {{"03.0", "P1"}}))
        .add(records.record("XA0", {{"04.0", "1"}, {"10.0", "1"}}))
        .add(records.record("YA0"))
        .add(records.record("YA0"))
        .add(ClaimFileBuilder::record("ZZ9"));
    for (int i = 0; i < 1003; ++i)
        file.add(std::string(100, ' '));
    file.add(records.fileHeader("SUB", "00301")).add(records.record("ZA0"));
    const QString path = files_.filePath(name);
    file.write(path);
    return path;
}

QString ProblemsTest::mapsWithout(const QString& name, const QStringList& definitions) {
    const QString folder = files_.filePath(name);
    QDir().mkpath(folder);
    QFile original(QStringLiteral(MAPS_DIR "/nsf0301.map"));
    QFile copy(folder + QStringLiteral("/nsf0301.map"));
    if (!original.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly))
        return QString();
    while (!original.atEnd()) {
        const QByteArray line = original.readLine();
        if (std::none_of(definitions.begin(), definitions.end(), [&](const QString& definition) {
                return line.startsWith(definition.toLatin1());
            }))
            copy.write(line);
    }
    return folder;
}

bool ProblemsTest::start(const QString& path, const QString& mapsDir) {
    main_ = Startup::run(*context_, {path}, mapsDir);
    return main_ && tree();
}

frmNSFTree* ProblemsTest::tree() const {
    DocumentWindow* document = main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    return document ? qobject_cast<frmNSFTree*>(document->widget()) : nullptr;
}

frmProblems* ProblemsTest::problemsWindow() const {
    DocumentWindow* document = main_->documents()->findDocument(QStringLiteral("frmProblems"));
    return document ? qobject_cast<frmProblems*>(document->widget()) : nullptr;
}

frmProblems* ProblemsTest::openProblemsWindow() {
    return GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems"))
               ? problemsWindow()
               : nullptr;
}

bool ProblemsTest::waitForCheck() {
    return QTest::qWaitFor([this] { return check().state() == ProblemMarks::State::Finished; },
                           kCheckTimeoutMs);
}

QString ProblemsTest::treeStatus() const {
    const auto* panel = tree()->findChild<QLabel*>(QStringLiteral("StatusBar1Panel3"));
    return panel && panel->isVisible() ? panel->text() : QString();
}

QStringList ProblemsTest::shownRows() const {
    QStringList rows;
    const QAbstractItemModel* model = problemsWindow()->table()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            if (!problemsWindow()->table()->isColumnHidden(column))
                cells.append(model->index(row, column).data().toString());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

void ProblemsTest::slowDownChecks() {
    context_->seams().eachClaim = [](const WorkSeams::Stopped&) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    };
}

void ProblemsTest::rowsCountsAndMarksAreTheCommandLines_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("maps");
    QTest::addColumn<QString>("rules"); // a rules file chosen besides the integrity edits
    const QString maps = QStringLiteral(MAPS_DIR);
    QTest::newRow("sample 3.01") << QStringLiteral(SAMPLES_DIR "/sample301.nsf") << maps
                                 << QString();
    QTest::newRow("a payer's rules") << generate(QStringLiteral("rules.nsf"), kRulesFileArguments)
                                     << maps << QStringLiteral(SAMPLES_DIR "/larkspur.rules");
    QTest::newRow("sample 2.00") << QStringLiteral(SAMPLES_DIR "/sample200.nsf") << maps
                                 << QString();
    QTest::newRow("every fault nsfgen injects")
        << generate(QStringLiteral("faults.nsf"),
                    QStringLiteral("--claims 600 --batches 6 --seed 5 --wrong-totals 1 "
                                   "--wrong-totals 151 --no-xa0 300 --no-xa0 600 "
                                   "--wrong-batch-count 1 --wrong-batch-total 2 --no-ya0 3 "
                                   "--claim-outside 4 --short-line 7 --short-line 420 "
                                   "--wrong-file-count --wrong-file-total --record-after-za0 "
                                   "--cut-last-line"))
        << maps << QString();
    QTest::newRow("every fault of the integrity edits")
        << generate(QStringLiteral("integrity.nsf"),
                    QStringLiteral("--claims 60 --batches 2 --seed 7 --wrong-pcn 2 "
                                   "--wrong-sequence 3 --bad-date 4 --late-service 5 "
                                   "--unlisted-code 6 --wrong-pcn 41 --bad-date 41"))
        << maps << QString();
    QTest::newRow("no file trailer")
        << generate(QStringLiteral("noza0.nsf"), QStringLiteral("--claims 30 --batches 2 --no-za0"))
        << maps << QString();
    QTest::newRow("a YA0 outside a batch, an unknown type, two file headers, short lines")
        << writeOddFile(QStringLiteral("odd.nsf")) << maps << QString();
    QTest::newRow("invalid values")
        << writeTwoBatchFile(QStringLiteral("invalid.nsf")) << maps << QString();
    QTest::newRow("a map without fields the trailers are compared by")
        << writeTwoBatchFile(QStringLiteral("uncheckable.nsf"))
        << mapsWithout(QStringLiteral("maps-lacking"),
                       {QStringLiteral("XA0,12.0,"), QStringLiteral("YA0,11.0,"),
                        QStringLiteral("ZA0,09.0,")})
        << QString();
    QFile sample(QStringLiteral(SAMPLES_DIR "/sample301.nsf"));
    sample.open(QIODevice::ReadOnly);
    const QByteArray good = sample.readAll();
    QFile lfOnly(files_.filePath(QStringLiteral("lf.nsf")));
    lfOnly.open(QIODevice::WriteOnly);
    lfOnly.write(QByteArray(good).replace("\r", ""));
    QTest::newRow("lines that end in LF only") << lfOnly.fileName() << maps << QString();
    for (const quint32 seed : {3u, 8u}) {
        QFile damaged(files_.filePath(QStringLiteral("damaged%1.nsf").arg(seed)));
        damaged.open(QIODevice::WriteOnly);
        damaged.write(GeneratedFiles::damaged(good, seed, true));
        QTest::newRow(qPrintable(QStringLiteral("damaged %1").arg(seed)))
            << damaged.fileName() << maps << QString();
    }
}

QStringList ProblemsTest::storedColumns(const ProblemTableModel& model, int row) {
    // What was found and expected as stored: the export's own columns.
    QStringList got;
    for (int column = 0; column < ProblemTableModel::PatientName; ++column)
        got.append(model
                       .index(row, column == ProblemTableModel::Found
                                       ? ProblemTableModel::FoundStored
                                   : column == ProblemTableModel::Expected
                                       ? ProblemTableModel::ExpectedStored
                                       : column)
                       .data()
                       .toString());
    return got;
}

bool ProblemsTest::totalShowsAsMoney(const ProblemTableModel& model, int row) {
    auto cell = [&](int column, int role = Qt::DisplayRole) {
        return model.index(row, column).data(role);
    };
    return cell(ProblemTableModel::Found).toString() == u"$157.51" &&
           cell(ProblemTableModel::Expected).toString() == u"$157.50" &&
           cell(ProblemTableModel::PatientName).toString() == u"GALLOWAY, MABEL" &&
           plain(cell(ProblemTableModel::Found, Qt::ToolTipRole))
               .endsWith(u"\nStored as 0015751") &&
           plain(cell(ProblemTableModel::Record, Qt::ToolTipRole))
               .endsWith(u"\nXA0 \u2014 Claim trailer");
}

void ProblemsTest::checkTreeMarks(const QMap<QString, unsigned>& claimMarks,
                                  const QMap<qint64, unsigned>& own,
                                  const QMap<qint64, QString>& ownFirst) {
    const qm::FileTree& claims = tree()->tree();
    const auto* treeModel = qobject_cast<const FileTreeModel*>(
        tree()->findChild<QTreeView*>(QStringLiteral("TreeView1"))->model());
    QMap<qint64, int> beneath;
    for (qint64 node = 0; node < claims.size(); ++node) {
        if (claims.recordType(node) != "CA0")
            continue;
        const unsigned kinds = claimMarks.value(QString::fromStdString(claims.key(node)));
        const QModelIndex index = treeModel->nodeIndex(node);
        QCOMPARE(index.data(Qt::DecorationRole).isValid(), kinds != 0);
        if (!kinds)
            continue;
        QCOMPARE(image(index.data(Qt::DecorationRole)), image(ProblemIcons::icon(worstOf(kinds))));
        for (qint64 above = claims.parent(node); above >= 0; above = claims.parent(above))
            ++beneath[above];
    }
    for (qint64 node = 0; node < claims.size(); ++node) {
        if (claims.recordType(node) == "CA0")
            continue;
        const QModelIndex index = treeModel->nodeIndex(node);
        const QString tip = plain(index.data(Qt::ToolTipRole));
        const QVariant mark = index.data(Qt::DecorationRole);
        QCOMPARE(mark.isValid(), own.contains(node) || beneath.contains(node));
        if (own.contains(node)) {
            QCOMPARE(image(mark), image(ProblemIcons::icon(worstOf(own[node]))));
            QVERIFY2(tip.startsWith(ownFirst[node]), qPrintable(tip));
        } else if (beneath.contains(node)) {
            for (int kind = 0; kind < kProblemKindCount; ++kind)
                QVERIFY(image(mark) != image(ProblemIcons::icon(ProblemKind(kind))));
        }
        QCOMPARE(tip.contains(QStringLiteral("%1 claim").arg(beneath.value(node)) +
                              (beneath.value(node) == 1 ? QString() : QStringLiteral("s")) +
                              QStringLiteral(" with problems beneath")),
                 beneath.contains(node));
    }
}

void ProblemsTest::rowsCountsAndMarksAreTheCommandLines() {
    QFETCH(QString, file);
    QFETCH(QString, maps);
    QFETCH(QString, rules);
    const CliCheck cli = runCli(file, maps, rules);
    QVERIFY(!cli.summary.isEmpty());
    if (!rules.isEmpty())
        RulesChoice{true, {{rules, true}}}.remember();
    QVERIFY(start(file, maps));
    QVERIFY(waitForCheck());
    const qm::FileTree& claims = tree()->tree();

    // The problems window: the JSON's rows, row for row, in file order.
    frmProblems* window = openProblemsWindow();
    QVERIFY(window);
    const ProblemTableModel& model = *window->problems();
    QAbstractItemModelTester tester(window->problems());
    QCOMPARE(model.rowCount(), int(cli.problems.size()));
    QMap<qint64, unsigned> own;     // the own marks of file headers and batches
    QMap<qint64, QString> ownFirst; // and the words of their first rows
    QMap<QString, unsigned> claimMarks;
    bool moneyShown = false;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QJsonObject json = cli.problems[row].toObject();
        const QString where = json[u"where"].toString();
        const QString batch = json[u"batch"].toString();
        const QString claim = json[u"claim"].toString();
        QString nodeText = cli.claimTexts.value(claim);
        if (claim.isEmpty() && !batch.isEmpty())
            nodeText = QString::fromStdString(claims.text(*claims.findKey(batch.toStdString())));
        const QStringList want = wantedCells(json, nodeText);
        QStringList got = storedColumns(model, row);
        // What is expected is shown in the width of what was found.
        if (!got.last().isEmpty())
            got.last() = QString::number(got.last().toLongLong());
        QCOMPARE(got.join(QLatin1Char('|')), want.join(QLatin1Char('|')));
        QCOMPARE(plain(model.index(row, 0).data(Qt::ToolTipRole)), json[u"text"].toString());
        // A claim's patient and control number, apart for a spreadsheet.
        if (!claim.isEmpty())
            QVERIFY(nodeText.endsWith(
                model.index(row, ProblemTableModel::ControlNumber).data().toString() + u')'));
        // A total shows as money, the stored digits on hover.
        if (model.index(row, ProblemTableModel::FoundStored).data().toString() == u"0015751") {
            QVERIFY(totalShowsAsMoney(model, row));
            moneyShown = true;
        }
        const unsigned mark = bit(markOf(problemOf(json)));
        if (where == u"claim") {
            claimMarks[claim] |= mark;
            continue;
        }
        if (where == u"file" && claims.headerNodes().empty())
            continue; // no node to mark
        const qint64 node =
            where == u"batch" ? *claims.findKey(batch.toStdString()) : claims.headerNodes().front();
        if (!own.contains(node))
            ownFirst[node] = json[u"text"].toString();
        own[node] |= mark;
    }
    QVERIFY(moneyShown || QByteArray(QTest::currentDataTag()) != "sample 3.01");

    checkTreeMarks(claimMarks, own, ownFirst);
    if (QTest::currentTestFailed())
        return;

    // The counts.
    QCOMPARE(treeStatus(), statusOf(cli.summary));
}

void ProblemsTest::problemsWindowListsSortsAndFilters() {
    // Qt's placeholder for a caption's modified mark in the name, kept as typed.
    const QString path = writeTwoBatchFile(QStringLiteral("two[*].nsf"));
    QVERIFY(start(path));
    QVERIFY(waitForCheck());
    frmProblems* window = openProblemsWindow();
    QVERIFY(window);
    // A maximized document puts its caption into the main window's title.
    main_->documents()->findDocument(QStringLiteral("frmProblems"))->showMaximized();
    QTRY_COMPARE(main_->windowHandle()->title(),
                 QStringLiteral("Quillmark - [Problems (%1)]").arg(QDir::toNativeSeparators(path)));
    QCOMPARE(window->table()->objectName(), QStringLiteral("gridProblems"));
    // File order: where, line, node text, kind, severity, rule, record, field, name, found,
    // expected; no message column without a rule's rows.
    const QStringList fileOrder = shownRows();
    QCOMPARE(fileOrder.size(), 2);
    QVERIFY2(fileOrder.at(0).startsWith(QStringLiteral("CA0")) &&
                 fileOrder.at(0).contains(
                     QStringLiteral("|CA0: DOE, JANE (A001)|Invalid value|"
                                    "Error||FA0-1|05.0|Service Date From|20231340|")),
             qPrintable(fileOrder.at(0)));
    QVERIFY2(fileOrder.at(1).endsWith(
                 QStringLiteral("|Totals do not compute|Error||XA0|12.0|Total Claim Charges|$1.01|"
                                "$1.00")),
             qPrintable(fileOrder.at(1)));

    // Kinds sort by how serious they are: totals first.
    window->table()->sortByColumn(ProblemTableModel::Kind, Qt::AscendingOrder);
    QCOMPARE(shownRows(), (QStringList{fileOrder.at(1), fileOrder.at(0)}));
    window->table()->sortByColumn(ProblemTableModel::Where, Qt::AscendingOrder);
    QCOMPARE(shownRows(), fileOrder);
    // A sort on workers reads what the cells show; columns of sort values are not read so.
    const auto* problems =
        qobject_cast<const ProblemTableModel*>(window->shownRows()->sourceModel());
    QVERIFY(problems);
    QVERIFY(!problems->textReader(ProblemTableModel::Kind));
    for (const int column : {int(ProblemTableModel::Text), int(ProblemTableModel::Name),
                             int(ProblemTableModel::Found)}) {
        QStringList read;
        problems->textReader(column)(0, 1, [&read](const QString& text) {
            read.append(text);
            return true;
        });
        QCOMPARE(read, (QStringList{fileOrder.at(0).section(QLatin1Char('|'), column, column),
                                    fileOrder.at(1).section(QLatin1Char('|'), column, column)}));
    }
    // Columns of sort values are read as the numbers they sort by.
    QVERIFY(!problems->numberReader(ProblemTableModel::Text));
    for (const int column : {int(ProblemTableModel::Line), int(ProblemTableModel::Kind),
                             int(ProblemTableModel::Severity), int(ProblemTableModel::Expected)}) {
        qint64 values[2] = {};
        problems->numberReader(column)(0, 1, values);
        for (int row = 0; row < 2; ++row)
            QCOMPARE(values[row],
                     problems->index(row, column).data(ResultsFilterModel::SortRole).toLongLong());
    }

    // One choice a name: the claims' and the trailers' "Could not check" are one.
    auto* kinds = window->findChild<QComboBox*>(QStringLiteral("cboCategory"));
    QVERIFY(kinds);
    QCOMPARE(kinds->count(), qm::Problem::kKindCount);
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("Invalid value")));
    QCOMPARE(shownRows(), QStringList{fileOrder.at(0)});
    kinds->setCurrentIndex(0);
    auto* filter = window->findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    QTest::keyClicks(filter, QStringLiteral("poe"));
    QTRY_COMPARE(shownRows(), QStringList{fileOrder.at(1)});
    // Escape clears it.
    QTest::keyClick(filter, Qt::Key_Escape);
    QVERIFY(filter->text().isEmpty());
    QTRY_COMPARE(shownRows(), fileOrder);
}

void ProblemsTest::eachRowOpensWhatItIsAbout_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("kind");   // of the row opened (the first of the kind)
    QTest::addColumn<QString>("node");   // selected in the tree
    QTest::addColumn<QString>("opened"); // the claim form's node and record, field framed
    QTest::addColumn<QString>("said");   // the message's first line, or nothing
    const QString faults =
        generate(QStringLiteral("open.nsf"),
                 QStringLiteral("--claims 6 --batches 3 --claim-outside 1 --short-line 2 "
                                "--record-after-za0 --cut-last-line --wrong-batch-total 2 "
                                "--no-ya0 3 --wrong-file-total --wrong-totals 4 --no-xa0 5 "
                                "--seed 3"));
    const QString invalid = writeTwoBatchFile(QStringLiteral("invalid.nsf"));
    const QString none;
    QTest::newRow("invalid FA0 field")
        << invalid << QStringLiteral("Invalid value") << QStringLiteral("CA0645")
        << QStringLiteral("CA0645 FA0-1 05.0") << none;
    QTest::newRow("totals") << faults << QStringLiteral("Totals do not compute")
                            << QStringLiteral("CA09119") << QStringLiteral("CA09119 XA0 12.0")
                            << QStringLiteral("XA0 Record totals do not compute!");
    QTest::newRow("no XA0") << faults << QStringLiteral("No XA0") << QStringLiteral("CA011373")
                            << QStringLiteral("CA011373 CA0") << none;
    QTest::newRow("claim outside a batch")
        << faults << QStringLiteral("Claim outside a batch") << QStringLiteral("CA06543")
        << QStringLiteral("CA06543 CA0") << none;
    QTest::newRow("batch trailer")
        << faults << QStringLiteral("Does not balance") << QStringLiteral("BA08475")
        << QStringLiteral("BA08475 YA0 11.0") << none;
    QTest::newRow("batch without trailer")
        << faults << QStringLiteral("No batch trailer") << QStringLiteral("BA013305") << none
        << QStringLiteral("No batch trailer: the batch reaches the file trailer (ZA0) without "
                          "a YA0");
    QTest::newRow("short line") << faults << QStringLiteral("Short line")
                                << QStringLiteral("CA03865") << none
                                << QStringLiteral("Short line: 100 characters, too short to be a "
                                                  "record (320)");
    QTest::newRow("records after the file trailer")
        << faults << QStringLiteral("Records after the file trailer") << QStringLiteral("CA016203")
        << none
        << QStringLiteral("Records after the file trailer: records follow the file trailer (ZA0), "
                          "the first at line 60");
}

void ProblemsTest::eachRowOpensWhatItIsAbout() {
    QFETCH(QString, file);
    QFETCH(QString, kind);
    QFETCH(QString, node);
    QFETCH(QString, opened);
    QFETCH(QString, said);
    QVERIFY(start(file));
    QVERIFY(waitForCheck());
    frmProblems* window = openProblemsWindow();
    QVERIFY(window);
    ResultsTableView* grid = window->table();
    int row = 0;
    while (row < grid->model()->rowCount() &&
           grid->model()->index(row, ProblemTableModel::Kind).data().toString() != kind)
        ++row;
    QVERIFY(row < grid->model()->rowCount());
    // A double-click on the row.
    grid->scrollTo(grid->model()->index(row, 0));
    const QRect cell = grid->visualRect(grid->model()->index(row, ProblemTableModel::Kind));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());

    QCOMPARE(QString::fromStdString(tree()->tree().key(tree()->selectedNode())), node);
    auto* form = main_->findChild<frmClaimForm*>();
    if (opened.isEmpty()) {
        QVERIFY(!form);
    } else {
        QVERIFY(form && form->claim());
        // The field framed is the one the status panels describe.
        const ClaimFormDriver driver(form);
        QString shown =
            QString::fromStdString(form->claimKey()) + QLatin1Char(' ') + driver.selectedKey();
        const QString field = driver.panelTexts().value(0).section(QStringLiteral(" : "), 1);
        if (!field.isEmpty())
            shown += QLatin1Char(' ') + field;
        QCOMPARE(shown, opened);
    }
    QCOMPARE(GuiTest::dialogs().shown().isEmpty(), said.isEmpty());
    if (!said.isEmpty())
        QCOMPARE(GuiTest::dialogs().shown().constFirst().text.section(QLatin1Char('\n'), 0, 0),
                 said);
}

void ProblemsTest::f8WalksTheClaimsWithProblems() {
    QVERIFY(start(writeTwoBatchFile(QStringLiteral("two.nsf"))));
    QVERIFY(waitForCheck());
    const qm::FileTree& claims = tree()->tree();
    const qint64 claimA = 2; // after the file header and the first batch
    const qint64 claimC = claims.size() - 1;
    QCOMPARE(QString::fromStdString(claims.text(claimA)), QStringLiteral("CA0: DOE, JANE (A001)"));
    QCOMPARE(QString::fromStdString(claims.text(claimC)), QStringLiteral("CA0: POE, EDGAR (C003)"));
    // The patient control number of the claim the form shows.
    auto formClaim = [this] {
        auto* form = main_->findChild<frmClaimForm*>();
        const qm::AssembledRecord* ca0 = form ? form->claim()->record("CA0") : nullptr;
        return ca0 ? QString::fromStdString(ca0->line.substr(5, 4)) : QString();
    };
    tree()->activateNode(claimA);
    auto* form = main_->findChild<frmClaimForm*>();
    QVERIFY(form);
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    form->setFocus();
    // F8 goes on to the next claim with problems, also from the claim form
    // the last one opened in; past the last it starts again at the first;
    // Shift+F8 goes back.
    const QKeySequence next(Qt::Key_F8);
    const QKeySequence previous(Qt::SHIFT | Qt::Key_F8);
    const std::tuple<QKeySequence, qint64, const char*> steps[] = {{next, claimC, "C003"},
                                                                   {next, claimA, "A001"},
                                                                   {previous, claimC, "C003"},
                                                                   {previous, claimA, "A001"}};
    for (const auto& [keys, expected, pcn] : steps) {
        GuiTest::dialogs().forgetBoxes();
        GuiTest::dialogs().setBoxesUnshown(true);
        QTest::keySequence(QApplication::focusWidget(), keys);
        QCOMPARE(tree()->selectedNode(), expected);
        QCOMPARE(formClaim(), QString::fromLatin1(pcn));
    }
}

void ProblemsTest::onlyClaimsWithProblemsGrowsWhileTheCheckRuns() {
    const QString file = generate(
        QStringLiteral("faults.nsf"),
        QStringLiteral("--claims 400 --batches 4 --wrong-totals 2 --wrong-totals 3 --wrong-totals "
                       "399 --no-xa0 250 --wrong-batch-total 2"));
    slowDownChecks();
    QVERIFY(start(file));
    auto* view = tree()->findChild<QTreeView*>(QStringLiteral("TreeView1"));
    auto* model = qobject_cast<FileTreeModel*>(view->model());
    QAbstractItemModelTester tester(model);
    auto* only = tree()->findChild<QAction*>(QStringLiteral("cmdProblemsOnly"));
    QVERIFY(only);
    QTRY_VERIFY(only->isEnabled());
    QCOMPARE(only->text(), QStringLiteral("Only claims with problems"));
    only->setChecked(true);
    QVERIFY(check().isRunning());
    QVERIFY(waitForCheck());

    // The file header, the three batches holding claims with problems, the
    // second for its trailer, and the four claims, all open once painted.
    view->viewport()->repaint();
    QStringList shown;
    for (QModelIndex index = model->index(0, 0); index.isValid(); index = view->indexBelow(index))
        shown.append(QString::fromStdString(tree()->tree().key(FileTreeModel::nodeOf(index))));
    QCOMPARE(shown.size(), 1 + 4 + 4);
    QCOMPARE(check().markedClaimCount(), 4);
    for (qint64 claim = 0; claim < check().markedClaimCount(); ++claim)
        QVERIFY(
            shown.contains(QString::fromStdString(tree()->tree().key(check().markedClaim(claim)))));

    // Find lands on a claim without problems: every node shows again.
    const qint64 clean = check().markedClaim(0) - 1; // the first claim
    QVERIFY(!model->isShown(clean));
    tree()->activateNode(clean);
    QVERIFY(!only->isChecked());
    QCOMPARE(tree()->selectedNode(), clean);
    QCOMPARE(model->rowCount(model->index(0, 0)), 4);
    QCOMPARE(model->rowCount(model->nodeIndex(tree()->tree().batchNodes()[1])), 100);
}

void ProblemsTest::cancelKeepsWhatWasFoundAndCheckAgainFinishes() {
    const QString file = generate(QStringLiteral("faults.nsf"),
                                  QStringLiteral("--claims 2000 --batches 8 --wrong-totals 1 "
                                                 "--wrong-totals 2000"));
    slowDownChecks();
    QVERIFY(start(file));
    ProblemCheck& running = check();
    QTRY_COMPARE(running.markedClaimCount(), 1);
    auto* progress = tree()->findChild<QWidget*>(QStringLiteral("prgCheck"));
    auto* cancel = tree()->findChild<QToolButton*>(QStringLiteral("cmdCancelCheck"));
    QVERIFY(progress && progress->isVisible() && cancel && cancel->isVisible());
    QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuFileExportProblems"))->isEnabled());
    // Clicks on claims answer as ever meanwhile.
    tree()->activateNode(tree()->tree().size() - 1);
    QVERIFY(main_->findChild<frmClaimForm*>());
    QVERIFY(running.isRunning());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(running.state(), ProblemMarks::State::Cancelled);
    QVERIFY(!progress->isVisible());
    QCOMPARE(treeStatus(), QStringLiteral("Check cancelled (problems so far: 1 claim)"));
    QTest::qWait(300);
    QCOMPARE(running.markedClaimCount(), 1);

    context_->seams().eachClaim = nullptr;
    auto* again = tree()->findChild<QToolButton*>(QStringLiteral("cmdCheckAgain"));
    QVERIFY(again && again->isVisible());
    QTest::mouseClick(again, Qt::LeftButton);
    QVERIFY(waitForCheck());
    QCOMPARE(running.markedClaimCount(), 2);
    QCOMPARE(treeStatus(), QStringLiteral("Problems: 2 claims"));
    QVERIFY(!again->isVisible());
}

void ProblemsTest::aFileThatChangesWhileCheckedIsNoVerdict_data() {
    QTest::addColumn<bool>("cutShort"); // else another file of its size copied over it
    QTest::newRow("cut short") << true;
    QTest::newRow("another file copied over it") << false;
}

void ProblemsTest::aFileThatChangesWhileCheckedIsNoVerdict() {
    // A clean file changed while its claims are read: nothing calls it clean.
    QFETCH(bool, cutShort);
    const QString file = generate(QStringLiteral("changes.nsf"),
                                  QStringLiteral("--claims 3000 --batches 10 --bare-claims"));
    QFile original(file);
    QVERIFY(original.open(QIODevice::ReadOnly));
    // Of the same size and shape, with other names.
    const QByteArray other = original.readAll().replace('E', 'F');
    original.close();
    const std::uintmax_t size = std::filesystem::file_size(file.toStdString());
    // Its time before the change lies in the past, so the change shows in it.
    {
        QFile stamped(file);
        QVERIFY(stamped.open(QIODevice::ReadWrite));
        QVERIFY(stamped.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                    QFileDevice::FileModificationTime));
    }
    auto changed = std::make_shared<std::atomic<bool>>(false);
    context_->seams().beforeRead = [changed, cutShort, other, path = file.toStdString(),
                                    size](WorkSeams::Job, std::int64_t at) {
        if (std::uintmax_t(at) <= size / 2 || changed->exchange(true))
            return;
        if (cutShort) {
            std::filesystem::resize_file(path, size / 3);
        } else {
            QFile copy(QString::fromStdString(path));
            if (copy.open(QIODevice::ReadWrite))
                copy.write(other);
        }
    };
    QVERIFY(start(file));
    QVERIFY(waitForCheck());
    QVERIFY(changed->load());
    QVERIFY(check().fileChanged());
    QCOMPARE(check().notRead() > 0, cutShort);
    QVERIFY2(
        treeStatus().startsWith(QStringLiteral("File changed while read: %1 not read; problems: ")
                                    .arg(CountText::of(check().notRead(), "claim", "claims"))),
        qPrintable(treeStatus()));
    auto* againInTree = tree()->findChild<QToolButton*>(QStringLiteral("cmdCheckAgain"));
    QVERIFY(againInTree && againInTree->isVisible());
    frmProblems* window = openProblemsWindow();
    QVERIFY(window);
    // The claims the cut file ended in could not be read, and the file says why.
    const QAbstractItemModel* rows = window->problems();
    QStringList kinds;
    for (int row = 0; row < rows->rowCount(); ++row)
        kinds.append(rows->index(row, ProblemTableModel::Kind).data().toString());
    QCOMPARE(kinds.contains(QStringLiteral("Unreadable")), cutShort);
    QCOMPARE(kinds.last(), QStringLiteral("File changed"));
    auto* status = window->findChild<QLabel*>(QStringLiteral("lblStatus"));
    QVERIFY(status && status->isVisible());
    QVERIFY(status->text().startsWith(QStringLiteral("The file changed while it was read")));
    auto* againInWindow = window->findChild<QToolButton*>(QStringLiteral("cmdCheckAgain"));
    QVERIFY(againInWindow && againInWindow->isVisible());

    // Checked again as it is now: a verdict on what it holds.
    context_->seams().beforeRead = nullptr;
    QTest::mouseClick(againInWindow, Qt::LeftButton);
    QVERIFY(waitForCheck());
    QVERIFY(!check().fileChanged());
    QVERIFY(!againInWindow->isVisible() && !againInTree->isVisible());
    QVERIFY(!status->isVisible());
    QVERIFY(treeStatus().startsWith(QStringLiteral("Problems: ")));
}

void ProblemsTest::aFileHeaderMarkedAfterNodesBelowItIsListedInOrder() {
    // A claim before the first batch is a root of the tree, marked for its
    // missing XA0 before the row that says it lies outside a batch marks the
    // file header above it in the list: only claims with problems shown
    // meanwhile, the tree lists them in order again.
    const NsfRecords records(MAPS_DIR, "nsf0301.map");
    ClaimFileBuilder built;
    built.add(records.fileHeader("SUB", "00301"))
        .add(records.record("CA0", {{"03.0", "P1"}}))
        .add(records.record("BA0", {{"06.0", "123456789"}}))
        .add(records.record("CA0", {{"03.0", "P2"}}))
        .add(records.record("YA0"))
        .add(records.record("ZA0"));
    const QString file = files_.filePath(QStringLiteral("outside.nsf"));
    built.write(file);
    auto go = std::make_shared<std::atomic<bool>>(false);
    context_->seams().eachClaim = [go](const WorkSeams::Stopped& stopped) {
        while (!go->load() && !stopped())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    QVERIFY(start(file));
    auto* view = tree()->findChild<QTreeView*>(QStringLiteral("TreeView1"));
    auto* model = qobject_cast<FileTreeModel*>(view->model());
    QAbstractItemModelTester tester(model);
    auto* only = tree()->findChild<QAction*>(QStringLiteral("cmdProblemsOnly"));
    QTRY_VERIFY(only->isEnabled());
    only->setChecked(true);
    go->store(true);
    QVERIFY(waitForCheck());
    view->viewport()->repaint();
    QStringList shown;
    for (QModelIndex index = model->index(0, 0); index.isValid(); index = view->indexBelow(index))
        shown.append(QString::fromStdString(tree()->tree().key(FileTreeModel::nodeOf(index))));
    QCOMPARE(shown, (QStringList{QStringLiteral("AA01"), QStringLiteral("BA0645"),
                                 QStringLiteral("CA0967"), QStringLiteral("CA0323")}));
    QCOMPARE(model->rowCount(), 2);
}

void ProblemsTest::closingOrOpeningAnotherFileStopsTheCheck_data() {
    QTest::addColumn<bool>("openAnother");
    QTest::newRow("File > Close") << false;
    QTest::newRow("another file") << true;
}

void ProblemsTest::closingOrOpeningAnotherFileStopsTheCheck() {
    QFETCH(bool, openAnother);
    const QString first = generate(QStringLiteral("first.nsf"),
                                   QStringLiteral("--claims 2000 --batches 8 --wrong-totals 1 "
                                                  "--no-xa0 1999"));
    slowDownChecks();
    QVERIFY(start(first));
    QPointer<ProblemCheck> old = &check();
    QTRY_COMPARE(old->markedClaimCount(), 1);
    QVERIFY(openProblemsWindow());

    if (openAnother) {
        context_->seams().eachClaim = nullptr;
        main_->openFile(QStringLiteral(SAMPLES_DIR "/sample301.nsf"));
    } else {
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
    }
    // The old check is stopped and goes with its window, the problems window with it.
    QVERIFY(!old || !old->isRunning());
    QTRY_VERIFY(!old);
    QVERIFY(!problemsWindow());
    if (!openAnother) {
        QVERIFY(!tree());
        QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuToolsProblems"))->isEnabled());
        QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuFileExportProblems"))->isEnabled());
        return;
    }
    // The new file's marks only: the sample's two claims with problems,
    // kept by the file that is open now.
    QVERIFY(tree());
    QVERIFY(waitForCheck());
    QCOMPARE(check().markedClaimCount(), 2);
    QCOMPARE(tree()->tree().key(check().markedClaim(0)), std::string("CA04831"));
    QCOMPARE(tree()->tree().key(check().markedClaim(1)), std::string("CA016101"));
    QCOMPARE(tree()->file()->problems().get(), &check().problems());
}

void ProblemsTest::exportWritesTheRows() {
    QVERIFY(start(writeTwoBatchFile(QStringLiteral("two.nsf"))));
    QVERIFY(waitForCheck());
    // Without the problems window: every row, in file order.
    const QString all = dir_->filePath(QStringLiteral("all.csv"));
    GuiTest::dialogs().setNextFileName(all);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportProblems")));
    QCOMPARE(GuiTest::dialogs().saveRequests().size(), 1);
    QCOMPARE(GuiTest::dialogs().saveRequests().constFirst().fileName,
             files_.filePath(QStringLiteral("two-problems.csv")));
    QFile written(all);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    QCOMPARE(lines.size(), 4); // header, two rows, and the end of the last line
    // Amounts as money, and as stored and in dollars in columns of their own
    // for a spreadsheet to sum; the patient's name and control number apart.
    QCOMPARE(lines.at(0), QByteArray("Where,Line,Node Text,Kind,Severity,Rule,Record,Field,Name,"
                                     "Found,Expected,"
                                     "Patient Name,Control Number,Found (stored),Expected "
                                     "(stored),Found (dollars),Expected (dollars),Message\r"));
    QVERIFY(lines.at(1).startsWith("CA0645,"));
    QVERIFY(lines.at(1).contains(",\"CA0: DOE, JANE (A001)\",Invalid value,Error,,FA0-1,05.0,"));
    QVERIFY2(
        lines.at(2).endsWith(",Totals do not compute,Error,,XA0,12.0,Total Claim Charges,$1.01,"
                             "$1.00,"
                             "\"POE, EDGAR\",C003,0000101,0000100,1.01,1.00,\"Total Claim "
                             "Charges: the XA0 states $1.01, the lines add up to $1.00\"\r"),
        lines.at(2).constData());
    QCOMPARE(main_->confirmation(), QStringLiteral("Exported 2 rows to ") + all);

    // With it: the rows it shows, as it shows them.
    QVERIFY(openProblemsWindow());
    problemsWindow()->findChild<QComboBox*>(QStringLiteral("cboCategory"))->setCurrentIndex(1);
    const QString shown = dir_->filePath(QStringLiteral("shown.csv"));
    GuiTest::dialogs().setNextFileName(shown);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportProblems")));
    QFile filtered(shown);
    QVERIFY(filtered.open(QIODevice::ReadOnly));
    QCOMPARE(filtered.readAll().count('\n'), 2);
    QVERIFY(GuiTest::dialogs().shown().isEmpty());

    // Never over the open claim file.
    const QString claims = files_.filePath(QStringLiteral("two.nsf"));
    QFile claimFile(claims);
    QVERIFY(claimFile.open(QIODevice::ReadOnly));
    const QByteArray before = claimFile.readAll();
    claimFile.close();
    GuiTest::dialogs().setNextFileName(claims);
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileExportProblems")));
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    QVERIFY(GuiTest::dialogs().shown().constFirst().text.endsWith(
        QStringLiteral(":\nit is the claim file that is open, which Quillmark never changes")));
    QVERIFY(claimFile.open(QIODevice::ReadOnly));
    QCOMPARE(claimFile.readAll(), before);
}

void ProblemsTest::theCountsStayWholeWhileChecking() {
    // In a narrow tree window the check's bar gives way, down to how far it
    // has come, never the counts (ten million claims once showed "CA0 Count:
    // 1000000", the last digit hidden).
    // Long enough (ten seconds) for the check to run all the while.
    const QString file = generate(QStringLiteral("counts.nsf"),
                                  QStringLiteral("--claims 20000 --batches 10 --bare-claims"));
    slowDownChecks();
    QVERIFY(start(file));
    auto* progress = tree()->findChild<QProgressBar*>(QStringLiteral("prgCheck"));
    QTRY_VERIFY(progress->isVisible());
    main_->documents()->findDocument(QStringLiteral("frmNSFTree"))->resize(300, 300);
    // A display filter reading along with the check shows its bar too.
    QVERIFY(tree()
                ->findChild<FilterBar*>(QStringLiteral("cboDisplayFilter"))
                ->apply(QStringLiteral("problem")));
    auto* filtering = tree()->findChild<QProgressBar*>(QStringLiteral("prgFilter"));
    QTRY_VERIFY(filtering->isVisible());
    for (const char* name : {"StatusBar1Panel1", "StatusBar1Panel2"}) {
        const auto* counts = tree()->findChild<QLabel*>(QLatin1String(name));
        QTRY_VERIFY2(counts->width() >= counts->sizeHint().width(), name);
    }
    // Nothing runs over them either.
    const auto* ca0 = tree()->findChild<QLabel*>(QStringLiteral("StatusBar1Panel2"));
    QVERIFY(ca0->geometry().right() < progress->geometry().left());
    QVERIFY(check().isRunning());
    QVERIFY(progress->isVisible() && filtering->isVisible());
    QCOMPARE(progress->format(), QStringLiteral("%p%"));
}

void ProblemsTest::theStatusGivesWayInANarrowTree() {
    // Problems of every scope make the longest status; in a narrow tree window
    // the counts stay whole and the status ends in an ellipsis, its tooltip
    // giving all of it.
    QVERIFY(start(QStringLiteral(SAMPLES_DIR "/faults301.nsf")));
    QVERIFY(waitForCheck());
    const QString status = treeStatus();
    QVERIFY(status.startsWith(QStringLiteral("Problems: 2 claims, 1 batch, ")));
    auto* document = main_->documents()->findDocument(QStringLiteral("frmNSFTree"));
    document->resize(300, 300);
    auto* panel = tree()->findChild<ElidedLabel*>(QStringLiteral("StatusBar1Panel3"));
    QTRY_VERIFY(panel->isElided());
    QCOMPARE(panel->text(), status);
    for (const char* name : {"StatusBar1Panel1", "StatusBar1Panel2"}) {
        const auto* counts = tree()->findChild<QLabel*>(QLatin1String(name));
        QVERIFY2(counts->width() >= counts->sizeHint().width(), name);
    }
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), panel->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(panel, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY2(plain(QToolTip::text()).startsWith(status), qPrintable(QToolTip::text()));
}

void ProblemsTest::theRulesViewCountsEachRuleAndKind() {
    RulesChoice{true, {{QStringLiteral(SAMPLES_DIR "/larkspur.rules"), true}}}.remember();
    QVERIFY(start(generate(QStringLiteral("grouped.nsf"), kRulesFileArguments)));
    QVERIFY(waitForCheck());
    frmProblems* window = openProblemsWindow();
    QVERIFY(window);
    const ProblemTableModel& model = *window->problems();
    // The rows by group (a rule's id, else the kind), as the Severity and Rule columns say.
    QMap<QString, int> rows;
    QMap<QString, QString> severities;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString rule = model.index(row, ProblemTableModel::Rule).data().toString();
        const QString group =
            rule.isEmpty() ? model.index(row, ProblemTableModel::Kind).data().toString() : rule;
        const QModelIndex severity = model.index(row, ProblemTableModel::Severity);
        ++rows[group];
        severities[group] = severity.data().toString();
        // A rule's message is shown in a column, not only in a tooltip.
        const QString message = model.index(row, ProblemTableModel::Message).data().toString();
        QVERIFY2(rule.isEmpty() || (message.endsWith(QLatin1Char('[') + rule + QLatin1Char(']')) &&
                                    message.size() > rule.size() + 3 &&
                                    !message.startsWith(QStringLiteral("Rule:"))),
                 qPrintable(message));
        const ProblemKind flag = severity.data().toString() == u"Error" ? ProblemKind::RuleError
                                 : severity.data().toString() == u"Warning"
                                     ? ProblemKind::RuleWarning
                                     : ProblemKind::RuleNote;
        QCOMPARE(image(severity.data(Qt::DecorationRole)), image(ProblemIcons::icon(flag)));
    }
    QVERIFY(rows.contains(QStringLiteral("larkspur.place-of-service")));
    for (const char* severity : {"Error", "Warning", "Note"})
        QVERIFY(severities.values().contains(QLatin1String(severity)));
    QVERIFY(!window->table()->isColumnHidden(ProblemTableModel::Message));
    // Each severity its own drawing, none of them another mark's.
    QList<QImage> drawings;
    for (int mark = 0; mark < kProblemKindCount; ++mark) {
        const QImage drawn = image(ProblemIcons::icon(ProblemKind(mark)));
        QVERIFY(!drawings.contains(drawn));
        drawings.append(drawn);
    }

    auto* rulesView = window->findChild<QToolButton*>(QStringLiteral("cmdRulesView"));
    QVERIFY(rulesView);
    rulesView->click();
    const ProblemGroupsView* groups = window->groups();
    QVERIFY(groups->isVisible() && !window->table()->isVisible());
    QCOMPARE(groups->rowCount(), rows.size());
    int ruleRow = -1;
    for (int row = 0; row < groups->rowCount(); ++row) {
        const QString group = groups->item(row, ProblemGroupsView::Group)->text();
        QCOMPARE(groups->item(row, ProblemGroupsView::Rows)->text(),
                 CountText::number(rows.value(group)));
        QCOMPARE(groups->item(row, ProblemGroupsView::Severity)->text(), severities.value(group));
        if (group == u"larkspur.place-of-service")
            ruleRow = row;
    }
    // Errors first.
    QCOMPARE(groups->item(0, ProblemGroupsView::Severity)->text(), QStringLiteral("Error"));
    // A double-click on a group lists its rows, and only them.
    const QRect cell = groups->visualItemRect(groups->item(ruleRow, ProblemGroupsView::Group));
    QTest::mouseClick(groups->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(groups->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY(window->table()->isVisible() && !groups->isVisible());
    const QAbstractItemModel* shown = window->table()->model();
    QTRY_COMPARE(shown->rowCount(), rows.value(QStringLiteral("larkspur.place-of-service")));
    for (int row = 0; row < shown->rowCount(); ++row)
        QCOMPARE(shown->index(row, ProblemTableModel::Rule).data().toString(),
                 QStringLiteral("larkspur.place-of-service"));
}

void ProblemsTest::rulesWindowChoosesFilesAndSaysWhyOneDoesNotLoad() {
    QFile bad(dir_->filePath(QStringLiteral("bad.rules")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("rule payer.no-such-field\n  severity error\n  message \"x\"\n  when XA0.99.0 > 1\n");
    bad.close();
    QVERIFY(start(generate(QStringLiteral("chosen.nsf"), kRulesFileArguments)));
    QVERIFY(waitForCheck());
    const qint64 ownRows = check().problems().size();
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsRules")));
    auto* window = main_->findChild<frmRules*>(QStringLiteral("frmRules"));
    QVERIFY(window);
    const QTreeWidget* list = window->rulesTree();
    QCOMPARE(list->topLevelItemCount(), 1); // the integrity edits
    QCOMPARE(list->topLevelItem(0)->childCount(), 5);

    // Added: the open file is checked again with its rules, each with its count.
    GuiTest::dialogs().setNextFileName(QStringLiteral(SAMPLES_DIR "/larkspur.rules"));
    window->findChild<QPushButton*>(QStringLiteral("cmdAddRules"))->click();
    QVERIFY(waitForCheck());
    QVERIFY(check().problems().size() > ownRows);
    QCOMPARE(list->topLevelItemCount(), 2);
    const QTreeWidgetItem* larkspur = list->topLevelItem(1);
    QVERIFY(larkspur->childCount() > 0);
    for (int i = 0; i < larkspur->childCount(); ++i) {
        const QTreeWidgetItem* rule = larkspur->child(i);
        qint64 failed = 0;
        for (qint64 row = 0; row < check().problems().size(); ++row)
            failed += qm::ProblemWords::ruleId(check().problems().at(row).row()) ==
                      rule->text(frmRules::Name).toStdString();
        QCOMPARE(rule->text(frmRules::Rows), CountText::number(failed));
    }

    // One that does not load says where, and the others are still weighed.
    const qint64 withLarkspur = check().problems().size();
    window->addFile(bad.fileName());
    QVERIFY(waitForCheck());
    QCOMPARE(check().problems().size(), withLarkspur);
    const auto* errors = window->findChild<QLabel*>(QStringLiteral("lblLoadErrors"));
    QVERIFY2(errors->isVisible() && errors->text().contains(QStringLiteral("bad.rules:4:8: ")) &&
                 errors->text().contains(QStringLiteral("XA0.99.0")),
             qPrintable(errors->text()));

    // Off: remembered, and the file is checked without it.
    list->topLevelItem(1)->setCheckState(frmRules::Name, Qt::Unchecked);
    QVERIFY(waitForCheck());
    QCOMPARE(check().problems().size(), ownRows);
    const RulesChoice remembered = RulesChoice::remembered();
    QCOMPARE(remembered.files.size(), 2);
    QVERIFY(!remembered.files[0].on && remembered.files[1].on);
}

QTEST_MAIN(ProblemsTest)
#include "ProblemsTest.moc"
