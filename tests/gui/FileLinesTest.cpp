// The File Lines window: every kind of line the check reports marked at its
// number with the check's words, Go to Line/Byte, Show Line from the other
// views landing on the right line, Show in Claim Form, and Find in lines;
// the lines shown while they are indexed, a window of rows scrolled through
// more lines than it holds, and indexed again when the file is rewritten
// under the window.
#include "GeneratedFiles.h"
#include "GuiTest.h"
#include "core/check/FileCheck.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/lines/LineIndex.h"
#include "core/lines/LineProblems.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/frmGoToLine.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemText.h"
#include "gui/lines/LineTableModel.h"
#include "gui/lines/frmFileLines.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <atomic>

namespace {

constexpr int kWaitMs = 30000;
const QString kFaults = QStringLiteral(SAMPLES_DIR "/faults301.nsf");

} // namespace

class FileLinesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;
    QString path_;
    QList<QByteArray> lines_; // the file's lines, without their ends
    // The index's stretches after the first wait for it when a test holds them.
    QSemaphore go_;
    std::atomic<int> stretches_{0};

    ClaimDocument* document() const { return context_->document(); }
    frmFileLines* lines() const {
        return GuiTest::view<frmFileLines>(*main_, QStringLiteral("frmFileLines"));
    }
    // The viewer on the faults sample with a line of each other kind the
    // check reports added: an unknown record type before the file trailer, a
    // record after it and a cut last line; the check done, the lines window open.
    frmFileLines* start() {
        QFile sample(kFaults);
        if (!sample.open(QIODevice::ReadOnly))
            return nullptr;
        QByteArray bytes = sample.readAll();
        const QByteArray end = QByteArrayLiteral("\r\n");
        lines_ = bytes.left(bytes.size() - 2).split('\n');
        for (QByteArray& line : lines_)
            line.chop(line.endsWith('\r') ? 1 : 0);
        lines_.insert(lines_.size() - 1, QByteArray("QQ9").leftJustified(320, ' '));
        lines_.append(QByteArray("CA0").leftJustified(320, ' '));
        lines_.append(QByteArrayLiteral("XA0 cut"));
        path_ = dir_->filePath(QStringLiteral("lines.nsf"));
        QFile file(path_);
        if (!file.open(QIODevice::WriteOnly) || file.write(lines_.join(end)) < 0)
            return nullptr;
        file.close();
        return openLines(true);
    }
    // The viewer on path_, its check done, the lines window open (and, with
    // indexed, every line indexed).
    frmFileLines* openLines(bool indexed) {
        main_ = Startup::run(*context_, {path_}, QStringLiteral(MAPS_DIR));
        if (!document() ||
            !QTest::qWaitFor(
                [this] { return document()->check().state() == ProblemMarks::State::Finished; },
                kWaitMs) ||
            !GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsFileLines")) ||
            !QTest::qWaitFor(
                [this, indexed] {
                    return lines() && (!indexed || (lines()->isIndexed() && lines()->isMarked()));
                },
                kWaitMs))
            return nullptr;
        return lines();
    }
    // Reads path_ into lines_.
    bool readLines() {
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        lines_ = file.readAll().split('\n');
        if (lines_.last().isEmpty())
            lines_.removeLast();
        for (QByteArray& line : lines_)
            line.chop(line.endsWith('\r') ? 1 : 0);
        return true;
    }
    // A generated file of claims of a line each as path_, read into lines_.
    bool writeBareClaims(const QString& name, int seed, int claims, int batches) {
        path_ = dir_->filePath(name);
        return GeneratedFiles::write({QStringLiteral("--version"), QStringLiteral("00301"),
                                      QStringLiteral("--seed"), QString::number(seed),
                                      QStringLiteral("--claims"), QString::number(claims),
                                      QStringLiteral("--batches"), QString::number(batches),
                                      QStringLiteral("--bare-claims")},
                                     path_) &&
               readLines();
    }
    // The 1-based byte position of a line.
    qint64 positionOf(qint64 line) const {
        qint64 position = 1;
        for (qint64 i = 0; i + 1 < line; ++i)
            position += lines_[int(i)].size() + 2;
        return position;
    }
    // The 1-based number of the nth line (from 1) whose text starts with prefix.
    qint64 lineStarting(const QByteArray& prefix, int nth = 1) const {
        for (int i = 0; i < lines_.size(); ++i)
            if (lines_[i].startsWith(prefix) && --nth == 0)
                return i + 1;
        return 0;
    }
    bool goTo(frmFileLines* window, const QString& text, QString* error = nullptr) {
        window->askGoTo();
        const QList<frmGoToLine*> dialogs = window->findChildren<frmGoToLine*>();
        if (dialogs.isEmpty())
            return false;
        frmGoToLine* dialog = dialogs.last();
        dialog->findChild<QLineEdit*>(QStringLiteral("txtGoToLine"))->setText(text);
        dialog->accept();
        const bool accepted = dialog->result() == QDialog::Accepted;
        if (error)
            *error = dialog->findChild<QLabel*>(QStringLiteral("lblGoToError"))->text();
        dialog->close();
        QTest::qWait(0);
        return accepted;
    }
    bool find(frmFileLines* window, const QString& text, bool expression, bool backward) {
        window->findChild<QLineEdit*>(QStringLiteral("txtFindLines"))->setText(text);
        window->findChild<QCheckBox*>(QStringLiteral("chkFindExpression"))->setChecked(expression);
        QSignalSpy ended(window, &frmFileLines::findEnded);
        window->find(backward);
        return !ended.isEmpty() || ended.wait(kWaitMs);
    }

private slots:
    void initTestCase() { GuiTest::initTestCase(); }
    void init() {
        dir_ = GuiTest::isolatedFolder();
        context_ = GuiTest::context();
    }
    void cleanup() {
        main_.reset();
        context_.reset();
        GuiTest::release();
        dir_.reset();
    }

    void marksEveryKindOfLineWithTheChecksWords();
    void goesToALineOrByte();
    void showLineLandsOnTheLine();
    void findsForwardAndBack();
    void showsLinesWhileIndexed();
    void aWindowOfRowsScrollsThroughEveryLine();
    void indexesAgainAFileRewritten();
};

void FileLinesTest::marksEveryKindOfLineWithTheChecksWords() {
    frmFileLines* window = start();
    QVERIFY(window);
    const LineTableModel* model = window->model();
    QCOMPARE(qsizetype(model->rowCount()), lines_.size());
    // The kinds the check tells lines apart by, where this file has them.
    const std::vector<std::pair<qint64, qm::LineIndex::Kind>> kinds{
        {37, qm::LineIndex::Kind::ShortLine},
        {lineStarting("QQ9"), qm::LineIndex::Kind::UnknownRecordType},
        {lines_.size() - 1, qm::LineIndex::Kind::RecordAfterFileTrailer},
        {lines_.size(), qm::LineIndex::Kind::CutLastLine}};
    for (const auto& [line, kind] : kinds)
        QCOMPARE(model->index(model->rowOf(line), 0).data(LineTableModel::KindRole).toInt(),
                 int(kind));
    // Every line against the check's own rows at the lines they name.
    qm::OpenClaimFile& file = document()->file();
    qm::LineProblems expected(1, lines_.size());
    qm::FileCheck::run(file.file(), file.layouts(), {}, expected);
    expected.finish();
    QVERIFY(expected.size() >= 4);
    for (int row = 0; row < model->rowCount(); ++row) {
        const qint64 line = model->lineOf(row);
        const std::vector<qm::ProblemRow> rows = expected.at(line);
        const int kind = model->index(row, 0).data(LineTableModel::KindRole).toInt();
        const bool marked = !model->index(row, 0).data(Qt::DecorationRole).isNull();
        QVERIFY2(marked == (!rows.empty() || kind != int(qm::LineIndex::Kind::Record)),
                 qPrintable(QString::number(line)));
        QCOMPARE(model->index(row, 0).data(LineTableModel::ProblemCountRole).toLongLong(),
                 qlonglong(rows.size()));
        const QString tip =
            model->index(row, LineTableModel::Text).data(Qt::ToolTipRole).toString();
        for (const qm::ProblemRow& problem : rows)
            QVERIFY(tip.contains(ProblemText::line(problem, file.layouts().get())));
        QCOMPARE(model->index(row, LineTableModel::Text).data().toString().size(),
                 lines_[row].size());
    }
}

void FileLinesTest::goesToALineOrByte() {
    frmFileLines* window = start();
    QVERIFY(window);
    const qint64 last = lines_.size();
    // text, line it lands on (0: refused, with the error)
    const std::vector<std::pair<QString, qint64>> targets{
        {QStringLiteral("1"), 1},
        {QString::number(last), last},
        {QString::number(last / 2), last / 2},
        {QStringLiteral("@1"), 1},
        {QStringLiteral("@11593"), 37}, // the short line's first byte
        {QStringLiteral("@11600"), 37},
        {QString::number(last + 1), 0},
        {QStringLiteral("@99999999"), 0},
        {QStringLiteral("0"), 0},
        {QStringLiteral("twelve"), 0}};
    for (const auto& [text, line] : targets) {
        QString error;
        QCOMPARE(goTo(window, text, &error), line > 0);
        if (line > 0)
            QCOMPARE(window->currentLine(), line);
        else
            QVERIFY2(!error.isEmpty(), qPrintable(text));
    }
    QString error;
    goTo(window, QString::number(last + 1), &error);
    QCOMPARE(
        error,
        QStringLiteral("Line %1 is past the end: the file has %2 lines.").arg(last + 1).arg(last));
}

void FileLinesTest::showLineLandsOnTheLine() {
    frmFileLines* window = start();
    QVERIFY(window);
    // From a problem row: the short line's.
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsProblems")));
    auto* problems = GuiTest::view<frmProblems>(*main_, QStringLiteral("frmProblems"));
    QVERIFY(problems);
    const auto* source = qobject_cast<ProblemTableModel*>(problems->shownRows()->sourceModel());
    int shown = -1;
    for (int row = 0; row < problems->shownRows()->rowCount() && shown < 0; ++row) {
        const qint64 stored = source->storeRow(problems->sourceRow(row));
        if (document()->check().problems().at(stored).problem.kind == qm::Problem::Kind::ShortLine)
            shown = row;
    }
    QVERIFY(shown >= 0);
    problems->table()->setCurrentIndex(problems->shownRows()->index(shown, 0));
    QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuShowLine")));
    QCOMPARE(window->currentLine(), qint64(37));

    // A search result and a claim form record are asked for by the claim's
    // position and the record's key: the second FA0 of the second claim.
    const qint64 claim = lineStarting("CA0", 2);
    qint64 position = 1;
    for (qint64 i = 0; i + 1 < claim; ++i)
        position += lines_[int(i)].size() + 2;
    const qint64 record = lineStarting("FA0", 3);
    QVERIFY(record > claim);
    document()->showLine(0, position, QStringLiteral("FA0-2"));
    QCOMPARE(window->currentLine(), record);

    // And back: the line's claim in the claim form, its record selected.
    window->showInClaimForm();
    auto* form = GuiTest::view<frmClaimForm>(*main_, QStringLiteral("frmClaimForm"));
    QVERIFY(QTest::qWaitFor([form] { return form && form->claim(); }, kWaitMs));
    QCOMPARE(form->claimKey(), "CA0" + std::to_string(position));
    QCOMPARE(form->selectedRecordKey(), QStringLiteral("FA0-2"));
    // The status follows the line made current, however it was.
    window->findChild<QTableView*>(QStringLiteral("gridLines"))
        ->setCurrentIndex(window->findChild<QTableView*>(QStringLiteral("gridLines"))
                              ->model()
                              ->index(int(record), 0));
    QVERIFY2(window->statusText().startsWith(QStringLiteral("Line %L1 of").arg(record + 1)),
             qPrintable(window->statusText()));

    // A batch trailer's line opens its batch with the trailer shown, not the
    // claim before it.
    QVERIFY(window->showLine(lineStarting("YA0")));
    window->showInClaimForm();
    QTRY_COMPARE(form->selectedRecordKey(), QStringLiteral("YA0"));
    QVERIFY2(form->claimKey().rfind("BA0", 0) == 0, form->claimKey().c_str());
}

void FileLinesTest::findsForwardAndBack() {
    frmFileLines* window = start();
    QVERIFY(window);
    QVERIFY(find(window, QStringLiteral("qq9"), false, false));
    QCOMPARE(window->currentLine(), lineStarting("QQ9"));
    QVERIFY2(window->statusText().startsWith(QStringLiteral("Line ")),
             qPrintable(window->statusText()));
    // A match near a line's end is scrolled into view across: the text of
    // 320 columns is far wider than the window.
    QTableView* grid = window->grid();
    grid->horizontalScrollBar()->setValue(0);
    window->showLine(1);
    qint64 far = 0;
    for (qint64 i = 1; i <= lines_.size() && !far; ++i)
        if (lines_[int(i) - 1].indexOf("7840 ") == 298)
            far = i;
    QVERIFY(far > 1);
    QVERIFY(find(window, QStringLiteral("7840$"), true, false));
    QVERIFY2(window->currentLine() == far, qPrintable(window->statusText()));
    const qreal character = QFontMetricsF(QFontDatabase::systemFont(QFontDatabase::FixedFont))
                                .horizontalAdvance(QStringLiteral("0000000000")) /
                            10;
    const int matchEnd = grid->columnViewportPosition(LineTableModel::Text) + int(302 * character);
    QVERIFY2(matchEnd > 0 && matchEnd <= grid->viewport()->width(),
             qPrintable(QString::number(matchEnd)));
    // Back from the last line: the CA0 after the trailer, then the one before.
    window->showLine(lines_.size());
    QVERIFY(find(window, QStringLiteral("^CA0"), true, true));
    QCOMPARE(window->currentLine(), qint64(lines_.size() - 1));
    QVERIFY(find(window, QStringLiteral("^CA0"), true, true));
    qint64 before = 0;
    for (qint64 i = 1; i < lines_.size() - 1; ++i)
        if (lines_[int(i) - 1].startsWith("CA0"))
            before = i;
    QCOMPARE(window->currentLine(), before);
    // Nothing further on, and an expression that is none.
    QSignalSpy ended(window, &frmFileLines::findEnded);
    window->showLine(lines_.size());
    QVERIFY(find(window, QStringLiteral("QQ9"), false, false));
    QCOMPARE(ended.last().at(0).toLongLong(), qlonglong(0));
    QCOMPARE(window->currentLine(), qint64(lines_.size()));
    QVERIFY(find(window, QStringLiteral("(unclosed"), true, false));
    QVERIFY(!window->statusText().isEmpty());
    QCOMPARE(window->currentLine(), qint64(lines_.size()));
}

void FileLinesTest::showsLinesWhileIndexed() {
    // Twenty thousand claims, a line each: the index held after its first stretch.
    QVERIFY(writeBareClaims(QStringLiteral("big.nsf"), 1, 20000, 20));
    context_->seams().pause = [this](WorkSeams::Job job, const WorkSeams::Stopped& stopped) {
        if (job == WorkSeams::Job::Lines && ++stretches_ > 1)
            while (!go_.tryAcquire(1, 5) && !stopped()) {
            }
    };
    frmFileLines* window = openLines(false);
    QVERIFY(window);
    LineTableModel* model = window->model();
    QVERIFY(QTest::qWaitFor([model] { return model->rowCount() > 0; }, kWaitMs));
    QVERIFY(!window->isIndexed());
    QVERIFY(model->rowCount() < lines_.size());
    QCOMPARE(model->index(model->rowCount() - 1, LineTableModel::Text).data().toString(),
             QString::fromLatin1(lines_[model->rowCount() - 1]));
    QVERIFY(window->statusText().contains(QStringLiteral("so far")));
    // The last line waits for the index, and is selected once it is there.
    const qint64 last = lines_.size();
    QVERIFY(goTo(window, QString::number(last)));
    QCOMPARE(window->currentLine(), qint64(0));
    QVERIFY(window->statusText().contains(QStringLiteral("not read yet")));
    go_.release(1000000);
    QVERIFY(QTest::qWaitFor([window, last] { return window->currentLine() == last; }, kWaitMs));
    QVERIFY(window->isIndexed());
    QCOMPARE(qsizetype(model->rowCount()), lines_.size());
    // Go to Line/Byte at the first line, a middle one and the last.
    for (const qint64 line : {qint64(1), last / 2, last}) {
        for (const QString& text :
             {QString::number(line), QStringLiteral("@%1").arg(positionOf(line) + 3)}) {
            QVERIFY(goTo(window, text));
            QCOMPARE(window->currentLine(), line);
            const int row = model->rowOf(line);
            QCOMPARE(model->index(row, LineTableModel::Position).data().toLongLong(),
                     positionOf(line));
            QCOMPARE(model->index(row, LineTableModel::Text).data().toString(),
                     QString::fromLatin1(lines_[row]));
        }
    }
}

void FileLinesTest::aWindowOfRowsScrollsThroughEveryLine() {
    QVERIFY(writeBareClaims(QStringLiteral("long.nsf"), 2, 3000, 3));
    frmFileLines* window = openLines(true);
    QVERIFY(window);
    LineTableModel* model = window->model();
    model->setWindowRows(400);
    QTest::qWait(0);
    const qint64 last = lines_.size();
    QScrollBar* bar = window->lineBar();
    QTableView* grid = window->grid();
    const auto shownText = [model](qint64 line) {
        return model->index(model->rowOf(line), LineTableModel::Text).data().toString();
    };
    QCOMPARE(model->rowCount(), 400);
    QCOMPARE(bar->maximum() + bar->pageStep(), last);

    // The file's bar at its end shows the last lines, at its start the first.
    for (const int value : {bar->maximum(), bar->maximum() / 2, 0}) {
        bar->setValue(value);
        QCOMPARE(model->lineOf(grid->verticalScrollBar()->value()), value + 1);
        QCOMPARE(shownText(value + 1), QString::fromLatin1(lines_[value]));
    }
    // A line gone to far from the window is selected there, the bar with it,
    // and stays current when scrolled out of the window and back.
    QVERIFY(goTo(window, QStringLiteral("1200")));
    QCOMPARE(window->currentLine(), qint64(1200));
    QVERIFY(bar->value() < 1200 && bar->value() + bar->pageStep() >= 1200);
    bar->setValue(0);
    QCOMPARE(window->currentLine(), qint64(1200));
    bar->setValue(1100);
    QCOMPARE(model->lineOf(grid->currentIndex().row()), qint64(1200));
    // A key moves on from it, though the window had left it.
    bar->setValue(0);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(window->currentLine(), qint64(1201));

    // Keys go to the file's ends and across the window's.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(window->currentLine(), last);
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(window->currentLine(), qint64(1));
    for (int i = 0; i < 450; ++i) {
        QTest::keyClick(grid, Qt::Key_Down);
        QCoreApplication::processEvents();
    }
    QCOMPARE(window->currentLine(), qint64(451));
    QCOMPARE(shownText(451), QString::fromLatin1(lines_[450]));
}

void FileLinesTest::indexesAgainAFileRewritten() {
    frmFileLines* window = start();
    QVERIFY(window);
    QCOMPARE(qsizetype(window->model()->rowCount()), lines_.size());
    // Rewritten in place with its first ten lines: the same file, other bytes.
    lines_ = lines_.mid(0, 10);
    lines_[1] = QByteArray("BA0").leftJustified(320, 'z');
    QFile file(path_);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(file.write(lines_.join("\r\n")) > 0);
    file.close();
    QVERIFY(QTest::qWaitFor([window] { return window->model()->rowCount() == 10; }, kWaitMs));
    QVERIFY(QTest::qWaitFor([window] { return window->isIndexed(); }, kWaitMs));
    QCOMPARE(window->model()->index(1, LineTableModel::Text).data().toString(),
             QString::fromLatin1(lines_[1]));
}

QTEST_MAIN(FileLinesTest)
#include "FileLinesTest.moc"
