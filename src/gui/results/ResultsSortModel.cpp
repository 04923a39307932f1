#include "gui/results/ResultsSortModel.h"

#include "gui/results/ResultsFilterModel.h"

ResultsSortModel::ResultsSortModel(QObject* parent)
    : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(true);
}

bool ResultsSortModel::filterAcceptsRow(int, const QModelIndex&) const {
    return true;
}

bool ResultsSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QVariant a = left.data(ResultsFilterModel::SortRole);
    const QVariant b = right.data(ResultsFilterModel::SortRole);
    if (a.isValid() && b.isValid())
        return QVariant::compare(a, b) == QPartialOrdering::Less;
    return QSortFilterProxyModel::lessThan(left, right);
}
