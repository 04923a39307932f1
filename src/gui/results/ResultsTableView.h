#pragma once

#include <QAbstractItemView>

class QHeaderView;

// A table of rows of one height that keeps nothing per row, so that a model
// of ten million rows is shown as soon as one of ten: a QTableView's row
// header keeps a section per row, hidden or not, and walks them all when the
// rows change (a third of a second and 80 MB for ten million).
//
// It offers the part of QTableView's interface a results window needs: a
// sortable column header, hidden columns, columns fitted to the rows in
// view. Rows scroll one at a time; Home and End go to the first and last row.
class ResultsTableView : public QAbstractItemView {
    Q_OBJECT
public:
    explicit ResultsTableView(QWidget* parent = nullptr);
    ~ResultsTableView() override;

    void setModel(QAbstractItemModel* model) override;
    void setSelectionModel(QItemSelectionModel* selectionModel) override;

    QHeaderView* horizontalHeader() const { return header_; }
    int rowHeight() const { return rowHeight_; }

    void setColumnHidden(int column, bool hide);
    bool isColumnHidden(int column) const;
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    void resizeColumnToContents(int column);
    void resizeColumnsToContents();

    // A header click sorts the model by that column.
    void setSortingEnabled(bool enable);
    bool isSortingEnabled() const { return sortingEnabled_; }
    void sortByColumn(int column, Qt::SortOrder order);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    int sizeHintForColumn(int column) const override;
    // Type-ahead, up to kTypeAheadRows rows: it reads row after row until one
    // starts with the letters typed, every row when none does, which over
    // millions of rows holds the window for seconds. The filter searches them.
    void keyboardSearch(const QString& search) override;
    static constexpr int kTypeAheadRows = 100'000;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int rowCount() const;
    // The first row in view, and how many rows the viewport shows whole (at least one).
    int firstRow() const;
    int wholeRowsInView() const;
    // The row at a height in the viewport, or -1 past the rows.
    int rowAt(int y) const;
    void rowsChanged();
    void updateRowHeight();

    QHeaderView* header_ = nullptr;
    int rowHeight_ = 0;
    bool sortingEnabled_ = false;
    bool inGeometries_ = false;
};
