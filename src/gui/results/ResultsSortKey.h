#pragma once

#include <QVariant>

class QAbstractItemModel;

// What a row of a results model sorts by in a column: the column's sort role
// (kSortRole, ResultsFilterModel::SortRole) where the row gives one, else the
// text shown.
// Read on the GUI thread, compared on any (a sort of half a million rows is
// worked out on a worker), in the order a QSortFilterProxyModel with its
// defaults gives: two sort values by QVariant::compare, else the values shown,
// texts case-sensitively.
class ResultsSortKey {
public:
    // The role of a value to sort a column by.
    static constexpr int kSortRole = Qt::UserRole + 100;

    ResultsSortKey() = default;
    // The sort value, and what is shown only where there is no sort value
    // (or `shown` asks for it: where some rows of the column have a sort
    // value and others not, they are compared by what they show).
    static ResultsSortKey read(const QAbstractItemModel& source, int row, int column,
                               bool shown = false);

    static ResultsSortKey fromSortValue(qint64 value) {
        ResultsSortKey key;
        key.sortValue_ = value;
        return key;
    }

    bool hasSortValue() const { return sortValue_.isValid(); }
    bool operator<(const ResultsSortKey& other) const;

private:
    QVariant sortValue_;
    QVariant shown_;
};
