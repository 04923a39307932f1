#include "gui/results/ResultsFilterModel.h"

#include "gui/results/ResultsSortModel.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <numeric>

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
                if (!resyncing_ && !under.isValid())
                    sortedRowsInserted(first, last);
            });
    connect(sorted_, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] {
        if (!resyncing_)
            sortedLayoutAboutToBeChanged();
    });
    connect(sorted_, &QAbstractItemModel::layoutChanged, this, [this] {
        if (!resyncing_)
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
    sorted_->setSourceModel(source);
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        for (auto signal :
             {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
              &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
            sourceConnections_.push_back(
                connect(source, signal, this, &ResultsFilterModel::endResync));
        for (auto signal : {&QAbstractItemModel::rowsMoved, &QAbstractItemModel::columnsMoved})
            sourceConnections_.push_back(
                connect(source, signal, this, &ResultsFilterModel::endResync));
        sourceConnections_.push_back(
            connect(source, &QAbstractItemModel::modelReset, this, &ResultsFilterModel::endResync));
        sourceConnections_.push_back(connect(source, &QAbstractItemModel::layoutChanged, this,
                                             &ResultsFilterModel::endResync));
        sourceConnections_.push_back(connect(source, &QAbstractItemModel::dataChanged, this,
                                             &ResultsFilterModel::endResync));
    }
    endResync();
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
    // A filter within the one shown needs to weigh only the rows shown; one
    // that holds it, only the rows not shown.
    const bool narrower =
        (!shownFilter_.category.isValid() || shownFilter_.category == filter.category) &&
        filter.text.contains(shownFilter_.text, Qt::CaseInsensitive);
    const bool wider = (!filter.category.isValid() || filter.category == shownFilter_.category) &&
                       shownFilter_.text.contains(filter.text, Qt::CaseInsensitive);
    if (narrower || wider) {
        pendingAccepts_.assign(order_.size(), narrower ? kRejected : kUnweighed);
        for (const int row : shown_)
            pendingAccepts_[std::size_t(order_[std::size_t(row)])] =
                narrower ? kUnweighed : kAccepted;
    }
    if (started)
        emit filteringChanged(true);
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
    std::vector<int> shown;
    for (std::size_t row = 0; row < order_.size(); ++row)
        if (pendingAccepts_[std::size_t(order_[row])] == kAccepted)
            shown.push_back(int(row));
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int sortedRow = shown_[std::size_t(index.row())];
        const auto at = std::lower_bound(shown.begin(), shown.end(), sortedRow);
        after.append(at != shown.end() && *at == sortedRow
                         ? createIndex(int(at - shown.begin()), index.column())
                         : QModelIndex());
    }
    changePersistentIndexList(before, after);
    shown_.swap(shown);
    shownFilter_ = *pending_;
    pending_.reset();
    std::vector<char>().swap(pendingAccepts_);
    emit layoutChanged();
    emit filteringChanged(false);
}

void ResultsFilterModel::readOrder() {
    const int rows = sorted_->rowCount();
    order_.resize(std::size_t(rows));
    // Unsorted, the rows stand as the source has them: none to map, of
    // millions perhaps.
    if (sorted_->sortColumn() < 0) {
        std::iota(order_.begin(), order_.end(), 0);
        return;
    }
    for (int row = 0; row < rows; ++row)
        order_[std::size_t(row)] = sorted_->mapToSource(sorted_->index(row, 0)).row();
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
        order_.clear();
        shown_.clear();
        resyncing_ = false;
        endResetModel();
        return;
    }
    readOrder();
    shown_.clear();
    for (std::size_t row = 0; row < order_.size(); ++row)
        if (accepts(shownFilter_, order_[row]))
            shown_.push_back(int(row));
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
    order_.insert(order_.begin() + first, added.begin(), added.end());
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

void ResultsFilterModel::sortedLayoutAboutToBeChanged() {
    emit layoutAboutToBeChanged();
    keptSourceRows_.assign(order_.size(), 0);
    for (const int row : shown_)
        keptSourceRows_[std::size_t(order_[std::size_t(row)])] = 1;
    persistentBefore_ = persistentIndexList();
    persistentCells_.clear();
    for (const QModelIndex& index : persistentBefore_)
        persistentCells_.emplace_back(order_[std::size_t(shown_[std::size_t(index.row())])],
                                      index.column());
}

void ResultsFilterModel::sortedLayoutChanged() {
    readOrder();
    shown_.clear();
    for (std::size_t row = 0; row < order_.size(); ++row)
        if (keptSourceRows_[std::size_t(order_[row])])
            shown_.push_back(int(row));
    std::vector<char>().swap(keptSourceRows_);
    QModelIndexList after;
    after.reserve(persistentBefore_.size());
    for (const auto& [sourceRow, column] : persistentCells_) {
        const int sortedRow = sorted_->mapFromSource(sourceModel()->index(sourceRow, 0)).row();
        const auto at = std::lower_bound(shown_.begin(), shown_.end(), sortedRow);
        after.append(at != shown_.end() && *at == sortedRow
                         ? createIndex(int(at - shown_.begin()), column)
                         : QModelIndex());
    }
    changePersistentIndexList(persistentBefore_, after);
    persistentBefore_.clear();
    persistentCells_.clear();
    emit layoutChanged();
}

void ResultsFilterModel::sortedDataChanged(const QModelIndex& topLeft,
                                           const QModelIndex& bottomRight,
                                           const QList<int>& roles) {
    if (resyncing_ || topLeft.parent().isValid())
        return;
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
    return parent.isValid() ? 0 : int(shown_.size());
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
    return sourceModel()->index(order_[std::size_t(shown_[std::size_t(proxyIndex.row())])],
                                proxyIndex.column());
}

QModelIndex ResultsFilterModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid() || resyncing_)
        return {};
    const int sortedRow = sorted_->mapFromSource(sourceIndex).row();
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), sortedRow);
    if (at == shown_.end() || *at != sortedRow)
        return {};
    return index(int(at - shown_.begin()), sourceIndex.column());
}

void ResultsFilterModel::sort(int column, Qt::SortOrder order) {
    sorted_->sort(column, order);
}
