#pragma once

#include "core/claim/AssembledClaim.h"

#include <QString>
#include <QWidget>
#include <memory>

class FrozenColumnView;
class QAbstractItemView;
class QTableView;
class QLabel;
class QTableWidget;

// The claim form's field pane (PictureGrid): one record's fields in a grid
// (Grid) of names and values, the names also in a frozen column
// (gridFieldNames) that stays while long values scroll sideways, and above
// them a note (lblTotals) on what the totals check left unsaid or the record
// lacks. The grid's current row is the field the form describes; the keys
// walk it, a context menu copies values.
class FieldGridPane : public QWidget {
    Q_OBJECT
public:
    explicit FieldGridPane(QWidget* parent = nullptr);

    QTableWidget* grid() const { return grid_; }
    QTableView* names() const;

    // The grid's row 0 is its header; field slot i is on grid row i. These two
    // are the only place that knows how grid rows map onto the table's rows.
    static int gridRowOfTableRow(int tableRow) { return tableRow + 1; }
    static int tableRowOfGridRow(int gridRow) { return gridRow - 1; }

    // Fills the grid with one record: its layout's field names, its values
    // and their verdicts (the claim's trailer also tells its compared totals).
    // Without a record the names only; without a layout the header row only.
    void showRecord(std::shared_ptr<const qm::AssembledClaim> claim, const qm::RecordLayout* layout,
                    const qm::AssembledRecord* record);
    // Marks the shown record's field `field` (its index in the layout) wrong
    // as a failed check marks it, with `note` saying why in its tooltip: what
    // only the whole file's check knows (a batch's or the file's totals).
    void markWrong(int field, const QString& note);
    // No rows at all: no record is shown.
    void clearRows();
    // Writes grid row `row` (0 is the header row). Widths only ever grow by
    // the text; the Value column also takes whatever width the grid has left.
    void SetGridRow(int row, const QString& name, const QString& value);
    // Says above the grid what the claim's totals check could not do and
    // what is amiss with the record shown; hidden when there is nothing to say.
    void showNotes(const qm::AssembledClaim* claim, const qm::AssembledRecord* record);

    // The grid row of the current field; 0 when there is none.
    int currentField() const;
    // Makes a grid row current, as the keys would, in column `column` (-1:
    // the current column, or the first); false for no such row.
    bool setCurrentField(int gridRow, int column = -1);
    void clearCurrentField();
    // The row `rows` up (negative) or down from the current one, within the grid.
    void step(int rows);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user chose the current row's field: a click (focusRawLine, to
    // see it marked in the raw line), the keys or a context menu.
    void fieldChosen(bool focusRawLine);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void contextMenu(QAbstractItemView* view, const QPoint& at);
    // The width a grid cell needs to show text whole (names may be bold).
    int cellWidthFor(const QString& text, bool bold) const;
    // The names as wide as their texts need, up to what the values leave of
    // the grid but never less than two fifths of it (values always have
    // room); the Value column as wide as its texts need, or as the grid has left.
    void fitColumns();
    // Places the note and the grid by the window's layout rules.
    void arrange();

    // What the grid shows, kept for the copy commands.
    std::shared_ptr<const qm::AssembledClaim> claim_;
    const qm::RecordLayout* layout_ = nullptr;
    const qm::AssembledRecord* record_ = nullptr;
    // The columns' widths by their texts, which only ever grow (the names'
    // also as the user drags them).
    int nameColumnWidth_ = 0;
    int valueColumnWidth_ = 0;
    bool fitting_ = false;

    QLabel* lblTotals_ = nullptr;
    QTableWidget* grid_ = nullptr;
    FrozenColumnView* gridNames_ = nullptr;
};
