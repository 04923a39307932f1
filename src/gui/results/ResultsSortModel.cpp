#include "gui/results/ResultsSortModel.h"

#include "gui/results/ResultsFilterModel.h"

ResultsSortModel::ResultsSortModel(QObject* parent)
    : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(true);
}

void ResultsSortModel::sort(int column, Qt::SortOrder order) {
    if (column >= 0 && order == Qt::AscendingOrder && sourceModel() &&
        sourceModel()
            ->headerData(column, Qt::Horizontal, ResultsFilterModel::SourceOrderRole)
            .toBool())
        column = -1;
    QSortFilterProxyModel::sort(column, order);
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
