#pragma once

#include "gui/common/BackgroundWork.h"
#include "gui/lines/LineSearch.h"
#include "gui/lines/LinesTableView.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class ClaimDocument;
class LineTableModel;
class LineWindowScroller;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QScrollBar;
class QTableView;
class QTimer;
class QToolButton;

namespace qm {
class LineIndex;
class ProblemLineIndex;
} // namespace qm

// The open file as its raw numbered lines (Tools > File Lines): the line
// number, byte position, record type and the line's text under a column
// ruler, in gridLines. The lines are indexed on a worker as the window opens
// (prgLines, with cmdCancelLines), shown as they are indexed, and read on
// demand as they scroll into view; lines that are no record and lines the
// check names are marked. A file rewritten under the window is indexed
// again rather than shown as it was. Go to Line
// (mnuGoToLine, Ctrl+G), Find (txtFindLines, chkFindExpression, F3 and
// Shift+F3, on a worker too) and Show in Claim Form (mnuShowInClaimForm)
// act on the line selected.
class frmFileLines : public QWidget {
    Q_OBJECT
public:
    explicit frmFileLines(ClaimDocument& document, QWidget* parent = nullptr);
    ~frmFileLines() override;

    LineTableModel* model() const { return model_; }
    QTableView* grid() const { return grid_; }
    // The scroll bar of the whole file's lines (the grid holds a window of them).
    QScrollBar* lineBar() const { return lineBar_; }
    // Every line is indexed (they show as they are, before).
    bool isIndexed() const;
    // The rows of the check that ended are marked at their lines (found on a
    // worker after the check).
    bool isMarked() const;
    // The line selected; 0 for none.
    qint64 currentLine() const;
    // Selects a line (0: the line holding byte position; with record, a
    // claim form node key, that record of the claim there), at once when it
    // is indexed, else once it is; false when that is not now, or when there
    // is no such line (the status says so).
    bool showLine(qint64 line, qint64 position = 0, const QString& record = QString());
    // The Go to Line dialog, over the window (open() returns at once).
    void askGoTo();
    // Finds the text or expression of the find box from the line selected on
    // (once every line is indexed).
    void find(bool backward);
    // Opens the claim the line selected belongs to, with its record framed.
    void showInClaimForm();
    QString statusText() const;

signals:
    void indexed();
    // A find ended: at the line found, 0 for none, -1 when cancelled.
    void findEnded(qint64 line);

private:
    void sayCurrentLine(const QModelIndex& current);
    struct Indexed {
        std::shared_ptr<const qm::LineIndex> index;
    };
    using IndexWork = BackgroundWork<NoBatch, Indexed>;
    using FindWork = BackgroundWork<NoBatch, qint64>;
    using ProblemsWork = BackgroundWork<NoBatch, std::shared_ptr<const qm::ProblemLineIndex>>;

    void makeControls();
    void makeActions();
    void startIndex();
    // Shows the lines indexed since the last look, and a place that waits
    // for them.
    void showIndexed();
    void indexEnded();
    // The file is no longer the one indexed: its lines are indexed again.
    void fileChanged();
    // Places and finds asked for before their lines were indexed.
    void showPending();
    void findFinished(bool backward);
    // Scrolls across to where the last find matched in line `number`.
    void showMatchAcross(qint64 number);
    void showProblems();
    void setStatus(const QString& text);
    void showWorking(bool working);
    // The line of the record given by its claim form node key in the claim
    // whose CA0 is at line first; first when there is none such.
    qint64 recordLine(qint64 first, const QString& record) const;
    // The claim form node key of the line's record in the claim from line
    // first on; empty for none.
    QString recordKey(qint64 first, qint64 line) const;
    // Visits up to count lines of the claim whose CA0 is at line first, each
    // with the claim form node key of its record (empty for none).
    void walkClaim(qint64 first, qint64 count,
                   const std::function<bool(qint64, const QString&)>& visit) const;

    QPointer<ClaimDocument> document_;
    LineTableModel* model_ = nullptr;
    LinesTableView* grid_ = nullptr;
    QScrollBar* lineBar_ = nullptr;
    LineWindowScroller* scroller_ = nullptr;
    QLineEdit* findText_ = nullptr;
    QCheckBox* expression_ = nullptr;
    QToolButton* findNext_ = nullptr;
    QToolButton* findPrevious_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QToolButton* cancel_ = nullptr;
    QLabel* status_ = nullptr;
    IndexWork* indexWork_ = nullptr;
    FindWork* findWork_ = nullptr;
    // What the last find looked for.
    LineSearch search_;
    // The check's rows by line, found on a worker: ten million of them take a second.
    ProblemsWork* problemsWork_ = nullptr;
    // Looks at the index while it is built.
    QTimer* indexTimer_ = nullptr;
    // Since the index was last started.
    QElapsedTimer indexStarted_;
    // The lines are read again because the file changed.
    bool rereading_ = false;
    // A find asked for before the lines were indexed: 1 forward, -1 back.
    int pendingFind_ = 0;
    // A place asked for before its line was indexed.
    struct Pending {
        qint64 line = 0;
        qint64 position = 0;
        QString record;
        bool asked = false;
    } pending_;
};
