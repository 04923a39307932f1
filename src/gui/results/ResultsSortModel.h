#pragma once

#include <QSortFilterProxyModel>

// Every row of a results window's source model, sorted by
// ResultsFilterModel::SortRole where the source gives one, else by the text
// shown; rows that arrive take their sorted places. The filter sits above it,
// so that a new filter never sorts again, and gives it the source only while
// the rows are sorted in an order not their own.
class ResultsSortModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ResultsSortModel(QObject* parent = nullptr);

protected:
    // Every row: the filter is above.
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};
