#pragma once

#include <QSortFilterProxyModel>

// Every row of a results window's source model, sorted by
// ResultsFilterModel::SortRole where the source gives one, else by the text
// shown; rows that arrive take their sorted places. The filter sits above it,
// so that a new filter never sorts again.
class ResultsSortModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ResultsSortModel(QObject* parent = nullptr);

    // A sort the source's rows are already in (ResultsFilterModel::SourceOrderRole)
    // shows them in that order, unsorted.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    // Every row: the filter is above.
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};
