#pragma once

#include <QModelIndex>
#include <QObject>
#include <QtGlobal>
#include <unordered_set>

class QTreeView;

// Opens every row with children of a file tree view as it comes into view,
// unless the user closed it. The tree looks wholly open, yet the view lays
// out only the rows the user has been shown: a file of millions of claims
// opens at once, where opening every batch up front would make the view walk
// and keep every claim.
//
// Its one column is as wide as the widest row in view has been (the header's
// resize-contents precision must be 0, so that it measures only those).
//
// Rows are opened just before the view paints them. The rows already on
// screen stay where they are: the current row when it is in view, else the
// top row (or the bottom row while the user scrolls up); a view that jumped
// to the end stays at the end.
class InViewExpander : public QObject {
    Q_OBJECT
public:
    // The view must show a FileTreeModel already; the expander goes with it.
    explicit InViewExpander(QTreeView* view);

    // Opens the closed rows in view now (rather than at the next paint).
    void openRowsInView();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scrolled(int value);
    QModelIndex lastRowInView() const;
    bool isInView(const QModelIndex& index) const;
    bool openVisibleRows();
    void fitColumnToRowsInView();

    QTreeView* view_;
    // The nodes the user closed: they stay closed until opened again or the
    // model shows other rows.
    std::unordered_set<qint64> closedByUser_;
    bool opening_ = false;
    bool scrolledUp_ = false;
    // The last scroll went further than a page (the End key, the thumb).
    bool jumped_ = false;
    int lastScroll_ = 0;
    // The column has been fitted since the model last showed other rows.
    bool columnFitted_ = false;
};
