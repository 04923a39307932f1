#include "gui/results/ResultsFilterModel.h"

#include "gui/results/ResultsSortModel.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace {

// Work per turn of the event loop, well within what a user notices.
constexpr int kMsPerTurn = 15;
// Rows weighed between looks at the clock.
constexpr int kRowsPerLook = 256;
// What is known of a row under the filter being worked out.
constexpr char kUnweighed = 0;
constexpr char kAccepted = 1;
constexpr char kRejected = 2;

} // namespace

ResultsFilterModel::ResultsFilterModel(QObject* parent)
    : QAbstractProxyModel(parent)
    , sorted_(new ResultsSortModel(this))
    , work_(new QTimer(this))
    , msPerTurn_(kMsPerTurn) {
    work_->setSingleShot(true);
    work_->setInterval(0);
    connect(work_, &QTimer::timeout, this, &ResultsFilterModel::filterSome);
    connect(sorted_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& under, int first, int last) {
                if (!resyncing_ && !switchingSort_ && !under.isValid())
                    sortedRowsInserted(first, last);
            });
    connect(sorted_, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] {
        if (!resyncing_ && !switchingSort_)
            sortedLayoutAboutToBeChanged();
    });
    connect(sorted_, &QAbstractItemModel::layoutChanged, this, [this] {
        if (!resyncing_ && !switchingSort_)
            sortedLayoutChanged();
    });
    connect(sorted_, &QAbstractItemModel::dataChanged, this,
            &ResultsFilterModel::sortedDataChanged);
    connect(sorted_, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation, int first, int last) {
                if (orientation == Qt::Horizontal)
                    emit headerDataChanged(orientation, first, last);
            });
}

void ResultsFilterModel::setSourceModel(QAbstractItemModel* source) {
    beginResync();
    for (const QMetaObject::Connection& connection : sourceConnections_)
        disconnect(connection);
    sourceConnections_.clear();
    for (const QMetaObject::Connection& connection : afterSortedConnections_)
        disconnect(connection);
    afterSortedConnections_.clear();
    // Told before the sort model, so that what it says next is not taken for
    // rows arriving.
    if (source) {
        sourceConnections_.push_back(connect(source, &QAbstractItemModel::rowsAboutToBeInserted,
                                             this,
                                             [this, source](const QModelIndex& parent, int first) {
                                                 if (parent.isValid() || first < source->rowCount())
                                                     beginResync();
                                             }));
        for (auto signal : {&QAbstractItemModel::rowsAboutToBeRemoved,
                            &QAbstractItemModel::columnsAboutToBeInserted,
                            &QAbstractItemModel::columnsAboutToBeRemoved})
            sourceConnections_.push_back(
                connect(source, signal, this, &ResultsFilterModel::beginResync));
        for (auto signal :
             {&QAbstractItemModel::rowsAboutToBeMoved, &QAbstractItemModel::columnsAboutToBeMoved})
            sourceConnections_.push_back(
                connect(source, signal, this, &ResultsFilterModel::beginResync));
        sourceConnections_.push_back(connect(source, &QAbstractItemModel::modelAboutToBeReset, this,
                                             &ResultsFilterModel::beginResync));
        sourceConnections_.push_back(connect(source, &QAbstractItemModel::layoutAboutToBeChanged,
                                             this, &ResultsFilterModel::beginResync));
        sourceConnections_.push_back(connect(source, &QAbstractItemModel::dataChanged, this,
                                             &ResultsFilterModel::beginResync));
    }
    sorted_->setSourceModel(sorting_ ? source : nullptr);
    QAbstractProxyModel::setSourceModel(source);
    connectAfterSorted();
    endResync();
}

void ResultsFilterModel::connectAfterSorted() {
    for (const QMetaObject::Connection& connection : afterSortedConnections_)
        disconnect(connection);
    afterSortedConnections_.clear();
    QAbstractItemModel* source = sourceModel();
    if (!source)
        return;
    // After the sort model has taken the change in, when it holds the source.
    auto& connections = afterSortedConnections_;
    connections.push_back(connect(source, &QAbstractItemModel::rowsInserted, this,
                                  [this](const QModelIndex& parent, int first, int last) {
                                      if (resyncing_)
                                          endResync();
                                      else if (!sorting_ && !parent.isValid())
                                          sourceRowsInserted(first, last);
                                  }));
    for (auto signal : {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::columnsInserted,
                        &QAbstractItemModel::columnsRemoved})
        connections.push_back(connect(source, signal, this, &ResultsFilterModel::endResync));
    for (auto signal : {&QAbstractItemModel::rowsMoved, &QAbstractItemModel::columnsMoved})
        connections.push_back(connect(source, signal, this, &ResultsFilterModel::endResync));
    connections.push_back(
        connect(source, &QAbstractItemModel::modelReset, this, &ResultsFilterModel::endResync));
    connections.push_back(
        connect(source, &QAbstractItemModel::layoutChanged, this, &ResultsFilterModel::endResync));
    connections.push_back(
        connect(source, &QAbstractItemModel::dataChanged, this, &ResultsFilterModel::endResync));
}

void ResultsFilterModel::setText(const QString& text) {
    Filter filter = pending_.value_or(shownFilter_);
    filter.text = text;
    request(filter);
}

void ResultsFilterModel::setCategory(const QVariant& category) {
    Filter filter = pending_.value_or(shownFilter_);
    filter.category = category;
    request(filter);
}

bool ResultsFilterModel::accepts(const Filter& filter, int sourceRow) const {
    const QAbstractItemModel* source = sourceModel();
    if (filter.category.isValid() &&
        source->index(sourceRow, 0).data(CategoryRole) != filter.category)
        return false;
    if (filter.text.isEmpty())
        return true;
    for (int column = 0, columns = source->columnCount(); column < columns; ++column) {
        if (source->index(sourceRow, column)
                .data(Qt::DisplayRole)
                .toString()
                .contains(filter.text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void ResultsFilterModel::request(const Filter& filter) {
    if (filter == pending_.value_or(shownFilter_))
        return;
    if (filter == shownFilter_) {
        stopFiltering();
        return;
    }
    const bool started = !pending_;
    pending_ = filter;
    pendingAccepts_.clear();
    pendingNext_ = 0;
    if (started)
        emit filteringChanged(true);
    // No filter: every row, nothing to weigh.
    if (showsAll(filter)) {
        work_->stop();
        showFiltered();
        return;
    }
    // A filter within the one shown needs to weigh only the rows shown; one
    // that holds it, only the rows not shown.
    const bool narrower =
        (!shownFilter_.category.isValid() || shownFilter_.category == filter.category) &&
        filter.text.contains(shownFilter_.text, Qt::CaseInsensitive);
    const bool wider = (!filter.category.isValid() || filter.category == shownFilter_.category) &&
                       shownFilter_.text.contains(filter.text, Qt::CaseInsensitive);
    if (!showsAll(shownFilter_) && (narrower || wider)) {
        pendingAccepts_.assign(std::size_t(sortedRows_), narrower ? kRejected : kUnweighed);
        for (const int row : shown_)
            pendingAccepts_[std::size_t(sourceRowOf(row))] = narrower ? kUnweighed : kAccepted;
    }
    // A small table is done here and now.
    filterSome();
}

void ResultsFilterModel::stopFiltering() {
    if (!pending_)
        return;
    work_->stop();
    pending_.reset();
    std::vector<char>().swap(pendingAccepts_);
    emit filteringChanged(false);
}

void ResultsFilterModel::filterSome() {
    if (!pending_ || !sourceModel())
        return;
    QElapsedTimer clock;
    clock.start();
    const int rows = sourceModel()->rowCount();
    pendingAccepts_.resize(std::size_t(rows));
    while (pendingNext_ < rows) {
        for (const int end = std::min(rows, pendingNext_ + kRowsPerLook); pendingNext_ < end;
             ++pendingNext_)
            if (pendingAccepts_[std::size_t(pendingNext_)] == kUnweighed)
                pendingAccepts_[std::size_t(pendingNext_)] =
                    accepts(*pending_, pendingNext_) ? kAccepted : kRejected;
        if (pendingNext_ < rows && clock.elapsed() >= msPerTurn_) {
            work_->start();
            return;
        }
    }
    showFiltered();
}

void ResultsFilterModel::showFiltered() {
    const bool all = showsAll(*pending_);
    std::vector<int> shown;
    if (!all)
        for (int row = 0; row < sortedRows_; ++row)
            if (pendingAccepts_[std::size_t(sourceRowOf(row))] == kAccepted)
                shown.push_back(row);
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int sortedRow = sortedRowShown(index.row());
        const int row = all ? sortedRow : positionIn(shown, sortedRow);
        after.append(row >= 0 ? createIndex(row, index.column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    // Every row shown keeps no list of them.
    shown_.swap(shown);
    shownFilter_ = *pending_;
    pending_.reset();
    std::vector<char>().swap(pendingAccepts_);
    emit layoutChanged();
    emit filteringChanged(false);
}

void ResultsFilterModel::readOrder() {
    // Unsorted, the rows stand as the source has them: none to map, of
    // millions perhaps.
    if (!sorting_) {
        std::vector<int>().swap(order_);
        sortedRows_ = sourceModel() ? sourceModel()->rowCount() : 0;
        return;
    }
    sortedRows_ = sorted_->rowCount();
    order_.resize(std::size_t(sortedRows_));
    for (int row = 0; row < sortedRows_; ++row)
        order_[std::size_t(row)] = sorted_->mapToSource(sorted_->index(row, 0)).row();
}

int ResultsFilterModel::sortedRowOf(int sourceRow) const {
    return sorting_ ? sorted_->mapFromSource(sourceModel()->index(sourceRow, 0)).row() : sourceRow;
}

int ResultsFilterModel::shownRowOf(int sortedRow) const {
    if (sortedRow < 0 || sortedRow >= sortedRows_)
        return -1;
    return showsAll(shownFilter_) ? sortedRow : positionIn(shown_, sortedRow);
}

int ResultsFilterModel::positionIn(const std::vector<int>& shown, int sortedRow) {
    const auto at = std::lower_bound(shown.begin(), shown.end(), sortedRow);
    return at != shown.end() && *at == sortedRow ? int(at - shown.begin()) : -1;
}

bool ResultsFilterModel::needsSorting(int column, Qt::SortOrder order) const {
    return column >= 0 &&
           !(order == Qt::AscendingOrder && sourceModel() &&
             sourceModel()->headerData(column, Qt::Horizontal, SourceOrderRole).toBool());
}

void ResultsFilterModel::beginResync() {
    if (resyncing_)
        return;
    resyncing_ = true;
    beginResetModel();
}

void ResultsFilterModel::endResync() {
    if (!resyncing_)
        return;
    if (!sourceModel()) {
        std::vector<int>().swap(order_);
        std::vector<int>().swap(shown_);
        sortedRows_ = 0;
        resyncing_ = false;
        endResetModel();
        return;
    }
    readOrder();
    shown_.clear();
    if (!showsAll(shownFilter_))
        for (int row = 0; row < sortedRows_; ++row)
            if (accepts(shownFilter_, sourceRowOf(row)))
                shown_.push_back(row);
    if (pending_) {
        pendingAccepts_.clear();
        pendingNext_ = 0;
        work_->start();
    }
    resyncing_ = false;
    endResetModel();
}

void ResultsFilterModel::sortedRowsInserted(int first, int last) {
    const int count = last - first + 1;
    std::vector<int> added;
    added.reserve(std::size_t(count));
    for (int row = first; row <= last; ++row)
        added.push_back(sorted_->mapToSource(sorted_->index(row, 0)).row());
    if (showsAll(shownFilter_)) {
        beginInsertRows(QModelIndex(), first, last);
        order_.insert(order_.begin() + first, added.begin(), added.end());
        sortedRows_ += count;
        endInsertRows();
        return;
    }
    order_.insert(order_.begin() + first, added.begin(), added.end());
    sortedRows_ += count;
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), first);
    for (auto later = at; later != shown_.end(); ++later)
        *later += count;
    std::vector<int> accepted;
    for (int i = 0; i < count; ++i)
        if (accepts(shownFilter_, added[std::size_t(i)]))
            accepted.push_back(first + i);
    if (accepted.empty())
        return;
    const int position = int(at - shown_.begin());
    beginInsertRows(QModelIndex(), position, position + int(accepted.size()) - 1);
    shown_.insert(shown_.begin() + position, accepted.begin(), accepted.end());
    endInsertRows();
}

void ResultsFilterModel::sourceRowsInserted(int first, int last) {
    const int count = last - first + 1;
    if (showsAll(shownFilter_)) {
        beginInsertRows(QModelIndex(), first, last);
        sortedRows_ += count;
        endInsertRows();
        return;
    }
    sortedRows_ += count;
    std::vector<int> accepted;
    for (int row = first; row <= last; ++row)
        if (accepts(shownFilter_, row))
            accepted.push_back(row);
    if (accepted.empty())
        return;
    const int position = int(shown_.size());
    beginInsertRows(QModelIndex(), position, position + int(accepted.size()) - 1);
    shown_.insert(shown_.end(), accepted.begin(), accepted.end());
    endInsertRows();
}

void ResultsFilterModel::sortedLayoutAboutToBeChanged() {
    emit layoutAboutToBeChanged();
    if (!showsAll(shownFilter_)) {
        keptSourceRows_.assign(std::size_t(sortedRows_), 0);
        for (const int row : shown_)
            keptSourceRows_[std::size_t(sourceRowOf(row))] = 1;
    }
    persistentBefore_ = persistentIndexList();
    persistentCells_.clear();
    for (const QModelIndex& index : persistentBefore_)
        persistentCells_.emplace_back(sourceRowOf(sortedRowShown(index.row())), index.column());
}

void ResultsFilterModel::sortedLayoutChanged() {
    readOrder();
    shown_.clear();
    if (!showsAll(shownFilter_))
        for (int row = 0; row < sortedRows_; ++row)
            if (keptSourceRows_[std::size_t(sourceRowOf(row))])
                shown_.push_back(row);
    std::vector<char>().swap(keptSourceRows_);
    QModelIndexList after;
    after.reserve(persistentBefore_.size());
    for (const auto& [sourceRow, column] : persistentCells_) {
        const int row = shownRowOf(sortedRowOf(sourceRow));
        after.append(row >= 0 ? createIndex(row, column) : QModelIndex());
    }
    changePersistentIndexList(persistentBefore_, after);
    persistentBefore_.clear();
    persistentCells_.clear();
    emit layoutChanged();
}

void ResultsFilterModel::sortedDataChanged(const QModelIndex& topLeft,
                                           const QModelIndex& bottomRight,
                                           const QList<int>& roles) {
    if (resyncing_ || switchingSort_ || topLeft.parent().isValid())
        return;
    if (showsAll(shownFilter_)) {
        emit dataChanged(index(topLeft.row(), topLeft.column()),
                         index(bottomRight.row(), bottomRight.column()), roles);
        return;
    }
    const auto first = std::lower_bound(shown_.begin(), shown_.end(), topLeft.row());
    const auto last = std::upper_bound(first, shown_.end(), bottomRight.row());
    if (first != last)
        emit dataChanged(index(int(first - shown_.begin()), topLeft.column()),
                         index(int(last - shown_.begin()) - 1, bottomRight.column()), roles);
}

QModelIndex ResultsFilterModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex ResultsFilterModel::parent(const QModelIndex&) const {
    return {};
}

int ResultsFilterModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return showsAll(shownFilter_) ? sortedRows_ : int(shown_.size());
}

int ResultsFilterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->columnCount();
}

bool ResultsFilterModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant ResultsFilterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && sourceModel())
        return sourceModel()->headerData(section, orientation, role);
    return QAbstractItemModel::headerData(section, orientation, role);
}

QModelIndex ResultsFilterModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || proxyIndex.model() != this || proxyIndex.row() >= rowCount())
        return {};
    return sourceModel()->index(sourceRowOf(sortedRowShown(proxyIndex.row())), proxyIndex.column());
}

QModelIndex ResultsFilterModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid() || resyncing_ || switchingSort_)
        return {};
    const int row = shownRowOf(sortedRowOf(sourceIndex.row()));
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

void ResultsFilterModel::sort(int column, Qt::SortOrder order) {
    const bool sorting = needsSorting(column, order);
    if (sorting && sorting_) {
        sorted_->sort(column, order);
        return;
    }
    if (sorting == sorting_)
        return;
    // The sort model takes the source, or lets it go, as one change of layout.
    sortedLayoutAboutToBeChanged();
    switchingSort_ = true;
    sorting_ = sorting;
    if (sorting) {
        // Unsorted before it takes the source, so that it sorts only once.
        sorted_->sort(-1);
        sorted_->setSourceModel(sourceModel());
        sorted_->sort(column, order);
    } else {
        sorted_->setSourceModel(nullptr);
    }
    connectAfterSorted();
    switchingSort_ = false;
    sortedLayoutChanged();
}
