#include "gui/results/ResultsFilterModel.h"

ResultsFilterModel::ResultsFilterModel(QObject* parent)
    : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(true);
}

void ResultsFilterModel::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    invalidateFilter();
}

void ResultsFilterModel::setCategory(const QVariant& category) {
    if (category == category_)
        return;
    category_ = category;
    invalidateFilter();
}

bool ResultsFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    const QAbstractItemModel* source = sourceModel();
    if (category_.isValid() &&
        source->index(sourceRow, 0, sourceParent).data(CategoryRole) != category_)
        return false;
    if (text_.isEmpty())
        return true;
    for (int column = 0, columns = source->columnCount(sourceParent); column < columns; ++column) {
        if (source->index(sourceRow, column, sourceParent)
                .data(Qt::DisplayRole)
                .toString()
                .contains(text_, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool ResultsFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QVariant a = left.data(SortRole);
    const QVariant b = right.data(SortRole);
    if (a.isValid() && b.isValid())
        return QVariant::compare(a, b) == QPartialOrdering::Less;
    return QSortFilterProxyModel::lessThan(left, right);
}
