#pragma once

#include "core/lines/LineIndex.h"

#include <QAbstractTableModel>
#include <QFont>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qm {
class ProblemLineIndex;
class ProblemStore;
} // namespace qm

// The file's raw lines as a table, read on demand through a LineIndex: only
// the blocks of lines in view are held, a few at a time. Its rows are a
// window of at most windowRows() lines (a view keeps bytes for every row;
// LineWindowScroller moves the window), so the table costs the same for ten
// lines as for ten million. Lines that are no record and lines the check's
// rows name are marked, with the rows' words as tooltip. While the index is
// still being built it shows the lines scanned so far, more at each refresh().
class LineTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Number, Position, Type, Text, ColumnCount };
    // Column Number: the line's LineIndex::Kind; its count of problem rows.
    static constexpr int KindRole = Qt::UserRole + 1;
    static constexpr int ProblemCountRole = Qt::UserRole + 2;
    static constexpr int kBlockLines = 128;
    static constexpr std::size_t kBlocksKept = 24;
    // A record's columns, as the ruler over the text counts them.
    static constexpr int kRulerColumns = 320;

    explicit LineTableModel(QObject* parent = nullptr);

    // Shows the lines of index (null: none).
    void setIndex(std::shared_ptr<const qm::LineIndex> index);
    // Adds the lines the index has scanned since the last look, the
    // window's rows at most kRowsAdded at a time; once it is complete and
    // every row is added, reads again what was read before the last line
    // was known, and returns true (that once).
    bool refresh();
    static constexpr int kRowsAdded = 100000;
    bool isComplete() const { return complete_; }
    // Every line the index has scanned is shown (the window's rows too).
    bool isCaughtUp() const {
        return index_ && lines_ >= index_->lineCount() && rows_ == fullRows();
    }
    // The lines shown so far, in the window or beyond it.
    std::int64_t lineCount() const { return lines_; }
    // The window: its first line (row 0) and how many rows it has at most.
    std::int64_t firstLine() const { return first_ + 1; }
    int windowRows() const { return windowRows_; }
    static constexpr int kWindowRows = 1 << 19;
    void setWindowRows(int rows);
    // Moves the window (a reset) so that line is near its middle; false when
    // it stays where it is.
    bool centreOn(std::int64_t line);
    const std::shared_ptr<const qm::LineIndex>& lineIndex() const { return index_; }
    // The check's rows by the lines they name (null: none yet).
    void setProblems(std::shared_ptr<const qm::ProblemLineIndex> problems,
                     const qm::LayoutCatalogue* layouts);
    bool hasProblems() const { return problems_ != nullptr; }
    // Line number of a row and back (rows are 0-based); -1 for a line
    // outside the window.
    std::int64_t lineOf(int row) const { return first_ + row + 1; }
    int rowOf(std::int64_t line) const {
        return line > first_ && line <= first_ + rowCount() ? int(line - first_ - 1) : -1;
    }
    // The line of a row, read through the cache; nullptr past the end.
    const qm::LineIndex::Line* line(int row) const;
    // The words of the problems at a line, one a line; empty for none.
    QString problemText(const qm::LineIndex::Line& line) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A column ruler for the raw text, in the text's fixed-width font: a
    // digit every ten columns, a '+' at every fifth, dots between.
    static QString ruler(int columns);

signals:
    // The file is no longer what was indexed: no line of it is shown now.
    // Told once, after the painting that found it.
    void fileChanged();
    // lineCount() grew.
    void linesChanged();

private:
    using Block = std::vector<qm::LineIndex::Line>;
    const Block* block(std::int64_t first) const;
    // The store rows that name a line, by the rows of its span below.
    std::pair<std::size_t, std::size_t> rowsAt(std::int64_t line) const;
    QVariant mark(const qm::LineIndex::Line& line) const;
    QVariant background(const qm::LineIndex::Line& line) const;

    std::shared_ptr<const qm::LineIndex> index_;
    std::int64_t lines_ = 0;
    std::int64_t first_ = 0; // lines before the window
    int rows_ = 0;           // of the window, shown so far
    // The rows the window has once they have all joined.
    int fullRows() const { return int(std::min<std::int64_t>(lines_ - first_, windowRows_)); }
    int windowRows_ = kWindowRows;
    bool complete_ = false;
    mutable bool changed_ = false;
    std::shared_ptr<const qm::ProblemLineIndex> problems_;
    const qm::ProblemStore* store_ = nullptr; // problems_'s
    const qm::LayoutCatalogue* layouts_ = nullptr;
    // Of the span of kSpanLines lines from spanFirst_ on, the last looked at:
    // (line, store row), sorted by line, then by row.
    static constexpr std::int64_t kSpanLines = 1024;
    mutable std::int64_t spanFirst_ = 0;
    mutable std::vector<std::pair<std::int64_t, std::int64_t>> lineRows_;
    QFont fixed_;
    // Blocks read, by their first line, the most recent first.
    mutable std::list<std::pair<std::int64_t, Block>> blocks_;
};
