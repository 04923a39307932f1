#include "gui/results/ResultsSortModel.h"

#include "gui/results/ResultsFilterModel.h"

namespace {
// Above this many rows the values are read per comparison as before: a kept
// value takes about 64 bytes a row.
constexpr int kMaxKeptRows = 1'000'000;
} // namespace

ResultsSortModel::ResultsSortModel(QObject* parent)
    : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(true);
}

void ResultsSortModel::sort(int column, Qt::SortOrder order) {
    keeping_ = column >= 0 && sourceModel() && sourceModel()->rowCount() <= kMaxKeptRows;
    if (keeping_)
        keys_.resize(std::size_t(sourceModel()->rowCount()));
    QSortFilterProxyModel::sort(column, order);
    keeping_ = false;
    std::vector<Key>().swap(keys_);
}

bool ResultsSortModel::filterAcceptsRow(int, const QModelIndex&) const {
    return true;
}

const ResultsSortModel::Key& ResultsSortModel::keyOf(const QModelIndex& index) const {
    Key& key = keys_[std::size_t(index.row())];
    if (key.kind != Key::Unread)
        return key;
    key.sortValue = index.data(ResultsFilterModel::SortRole);
    if (key.sortValue.isValid()) {
        key.kind = Key::SortValue;
        return key;
    }
    const QVariant shown = index.data(sortRole());
    if (shown.userType() == QMetaType::QString) {
        key.kind = Key::Text;
        key.text = shown.toString();
    } else {
        key.kind = Key::Other;
    }
    return key;
}

bool ResultsSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (keeping_ && std::size_t(left.row()) < keys_.size() &&
        std::size_t(right.row()) < keys_.size()) {
        const Key& a = keyOf(left);
        const Key& b = keyOf(right);
        if (a.kind == Key::SortValue && b.kind == Key::SortValue)
            return QVariant::compare(a.sortValue, b.sortValue) == QPartialOrdering::Less;
        // As Qt's own comparison of two texts.
        if (a.kind == Key::Text && b.kind == Key::Text && !isSortLocaleAware())
            return a.text.compare(b.text, sortCaseSensitivity()) < 0;
        // Not both sort values, as already read: no need to read them again.
        return QSortFilterProxyModel::lessThan(left, right);
    }
    const QVariant a = left.data(ResultsFilterModel::SortRole);
    const QVariant b = right.data(ResultsFilterModel::SortRole);
    if (a.isValid() && b.isValid())
        return QVariant::compare(a, b) == QPartialOrdering::Less;
    return QSortFilterProxyModel::lessThan(left, right);
}
