#include "gui/results/ResultsRowFilter.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <algorithm>

namespace {

// Rows weighed between looks at the clock.
constexpr int kRowsPerLook = 256;

} // namespace

bool ResultsRowFilter::accepts(const QAbstractItemModel& source, int row, int categoryRole) const {
    if (category.isValid()) {
        const QVariant rowCategory = source.index(row, 0).data(categoryRole);
        // A row in several categories: any of them.
        if (rowCategory.userType() == QMetaType::QStringList
                ? !rowCategory.toStringList().contains(category.toString())
                : rowCategory != category)
            return false;
    }
    if (text.isEmpty())
        return true;
    for (int column = 0, columns = source.columnCount(); column < columns; ++column) {
        if (source.index(row, column)
                .data(Qt::DisplayRole)
                .toString()
                .contains(text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool ResultsRowFilter::within(const ResultsRowFilter& other) const {
    return (!other.category.isValid() || other.category == category) &&
           text.contains(other.text, Qt::CaseInsensitive);
}

void ResultsFilterPass::startFrom(const ResultsRowFilter& shown, int rows,
                                  const std::vector<int>& shownRows) {
    const bool narrower = filter_.within(shown);
    if (shown.showsAll() || !(narrower || shown.within(filter_)))
        return;
    accepts_.assign(std::size_t(rows), narrower ? kRejected : kUnweighed);
    for (const int row : shownRows)
        accepts_[std::size_t(row)] = narrower ? kUnweighed : kAccepted;
}

bool ResultsFilterPass::weigh(const QAbstractItemModel& source, int msPerTurn) {
    QElapsedTimer clock;
    clock.start();
    const int rows = source.rowCount();
    accepts_.resize(std::size_t(rows));
    while (next_ < rows) {
        for (const int end = std::min(rows, next_ + kRowsPerLook); next_ < end; ++next_)
            if (accepts_[std::size_t(next_)] == kUnweighed)
                accepts_[std::size_t(next_)] =
                    filter_.accepts(source, next_, categoryRole_) ? kAccepted : kRejected;
        if (next_ < rows && clock.elapsed() >= msPerTurn)
            return false;
    }
    return true;
}

void ResultsFilterPass::restart() {
    accepts_.clear();
    next_ = 0;
}
