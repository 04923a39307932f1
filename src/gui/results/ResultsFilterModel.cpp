#include "gui/results/ResultsFilterModel.h"

#include "gui/results/ResultsSortJob.h"

#include <QTimer>
#include <algorithm>

namespace {

// Work per turn of the event loop, well within what a user notices.
constexpr int kMsPerTurn = 15;
// Above this many rows a sort keeps the rows' values only where they are whole
// numbers (others take 64 bytes a row and more): texts are sorted in runs of
// half as many on a worker and the runs merged a slice per turn; other
// values here and now, reading them per comparison.
constexpr int kMaxKeptRows = 2'000'000;

} // namespace

ResultsFilterModel::ResultsFilterModel(QObject* parent)
    : QAbstractProxyModel(parent)
    , work_(new QTimer(this))
    , msPerTurn_(kMsPerTurn)
    , maxKeptRows_(kMaxKeptRows) {
    work_->setSingleShot(true);
    work_->setInterval(0);
    connect(work_, &QTimer::timeout, this, &ResultsFilterModel::filterSome);
}

ResultsFilterModel::~ResultsFilterModel() {
    if (sortJob_)
        dropSortJob();
}

void ResultsFilterModel::setSourceModel(QAbstractItemModel* source) {
    beginResync();
    QAbstractProxyModel::setSourceModel(source);
    connectSource();
    endResync();
}

void ResultsFilterModel::connectSource() {
    ResultsSourceLink::Listener listener;
    listener.beginResync = [this] {
        beginResync();
    };
    listener.endResync = [this] {
        endResync();
    };
    listener.rowsInserted = [this](const QModelIndex& parent, int first, int last) {
        if (resyncing_)
            endResync();
        else if (parent.isValid())
            return;
        else if (order_.isSorted())
            sortedSourceRowsInserted(first, last);
        else
            sourceRowsInserted(first, last);
    };
    listener.headerDataChanged = [this](Qt::Orientation orientation, int first, int last) {
        if (orientation == Qt::Horizontal)
            emit headerDataChanged(orientation, first, last);
    };
    sourceLink_.link(sourceModel(), this, listener);
}

void ResultsFilterModel::setText(const QString& text) {
    ResultsRowFilter filter = pendingFilter();
    filter.text = text;
    request(filter);
}

void ResultsFilterModel::setCategory(const QVariant& category) {
    ResultsRowFilter filter = pendingFilter();
    filter.category = category;
    request(filter);
}

void ResultsFilterModel::request(const ResultsRowFilter& filter) {
    if (filter == pendingFilter())
        return;
    if (filter == shownFilter_) {
        stopFiltering();
        return;
    }
    const bool started = !pending_;
    pending_.emplace(filter, CategoryRole);
    if (started)
        emit filteringChanged(true);
    // No filter: every row, nothing to weigh.
    if (filter.showsAll()) {
        work_->stop();
        showFiltered();
        return;
    }
    std::vector<int> shownRows;
    if (!shownFilter_.showsAll() && (filter.within(shownFilter_) || shownFilter_.within(filter))) {
        shownRows.reserve(shown_.size());
        for (const int row : shown_)
            shownRows.push_back(sourceRowOf(row));
    }
    pending_->startFrom(shownFilter_, order_.rows(), shownRows);
    // A small table is done here and now.
    filterSome();
}

void ResultsFilterModel::stopFiltering() {
    if (!pending_)
        return;
    work_->stop();
    pending_.reset();
    emit filteringChanged(false);
}

void ResultsFilterModel::filterSome() {
    if (!pending_ || !sourceModel())
        return;
    if (pending_->weigh(*sourceModel(), msPerTurn_))
        showFiltered();
    else
        work_->start();
}

void ResultsFilterModel::showFiltered() {
    const bool all = pending_->filter().showsAll();
    std::vector<int> shown;
    if (!all)
        for (int row = 0; row < order_.rows(); ++row)
            if (pending_->accepted(sourceRowOf(row)))
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
    shownFilter_ = pending_->filter();
    pending_.reset();
    emit layoutChanged();
    emit filteringChanged(false);
}

int ResultsFilterModel::shownRowOf(int sortedRow) const {
    if (sortedRow < 0 || sortedRow >= order_.rows())
        return -1;
    return shownFilter_.showsAll() ? sortedRow : positionIn(shown_, sortedRow);
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
    // The rows a sort took are not the rows any more: sorted again once read.
    if (sortJob_) {
        resort_ = std::make_pair(sortJob_->column(), sortJob_->order());
        cancelSort();
    }
    beginResetModel();
}

void ResultsFilterModel::endResync() {
    if (!resyncing_)
        return;
    if (resort_) {
        order_.sortBy(resort_->first, resort_->second);
        resort_.reset();
    }
    order_.readAgain(sourceModel());
    if (!sourceModel()) {
        std::vector<int>().swap(shown_);
        resyncing_ = false;
        endResetModel();
        return;
    }
    shown_.clear();
    if (!shownFilter_.showsAll())
        for (int row = 0; row < order_.rows(); ++row)
            if (accepts(shownFilter_, sourceRowOf(row)))
                shown_.push_back(row);
    if (pending_) {
        pending_->restart();
        work_->start();
    }
    resyncing_ = false;
    endResetModel();
}

void ResultsFilterModel::sortedRowsInserted(int first, const std::vector<int>& added) {
    const int count = int(added.size());
    if (shownFilter_.showsAll()) {
        beginInsertRows(QModelIndex(), first, first + count - 1);
        order_.insert(first, added);
        endInsertRows();
        return;
    }
    order_.insert(first, added);
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
    if (sortJob_)
        sortJob_->rowsArrived(first, last);
    const int count = last - first + 1;
    if (shownFilter_.showsAll()) {
        beginInsertRows(QModelIndex(), first, last);
        order_.append(count);
        endInsertRows();
        return;
    }
    order_.append(count);
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
    if (!shownFilter_.showsAll()) {
        keptSourceRows_.assign(std::size_t(order_.rows()), 0);
        for (const int row : shown_)
            keptSourceRows_[std::size_t(sourceRowOf(row))] = 1;
    }
    persistentBefore_ = persistentIndexList();
    persistentCells_.clear();
    for (const QModelIndex& index : persistentBefore_)
        persistentCells_.emplace_back(sourceRowOf(sortedRowShown(index.row())), index.column());
}

void ResultsFilterModel::sortedLayoutChanged() {
    shown_.clear();
    if (!shownFilter_.showsAll())
        for (int row = 0; row < order_.rows(); ++row)
            if (keptSourceRows_[std::size_t(sourceRowOf(row))])
                shown_.push_back(row);
    std::vector<char>().swap(keptSourceRows_);
    QModelIndexList after;
    after.reserve(persistentBefore_.size());
    std::vector<int> sourceRows;
    for (const auto& cell : persistentCells_)
        sourceRows.push_back(cell.first);
    const std::vector<int> sortedRows = order_.sortedRowsOf(sourceRows);
    for (std::size_t i = 0; i < sortedRows.size(); ++i) {
        const int row = shownRowOf(sortedRows[i]);
        after.append(row >= 0 ? createIndex(row, persistentCells_[i].second) : QModelIndex());
    }
    changePersistentIndexList(persistentBefore_, after);
    persistentBefore_.clear();
    persistentCells_.clear();
    emit layoutChanged();
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
    return shownFilter_.showsAll() ? order_.rows() : int(shown_.size());
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
    if (!sourceIndex.isValid() || resyncing_)
        return {};
    const int row = shownRowOf(sortedRowOf(sourceIndex.row()));
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

void ResultsFilterModel::reorder(bool sorted, int column, Qt::SortOrder order,
                                 std::vector<int> rows, std::vector<int> rank) {
    sortedLayoutAboutToBeChanged();
    order_.take(sourceModel(), sorted, column, order, std::move(rows), std::move(rank));
    sortedLayoutChanged();
}

void ResultsFilterModel::sortedSourceRowsInserted(int first, int last) {
    if (sortJob_)
        sortJob_->rowsArrived(first, last);
    const auto places = order_.placesOf(*sourceModel(), first, last);
    for (auto place = places.rbegin(); place != places.rend(); ++place)
        sortedRowsInserted(place->first, place->second);
}

void ResultsFilterModel::sort(int column, Qt::SortOrder order) {
    if (!sourceModel() || resyncing_) {
        // Sorted, or not, once the rows are read.
        cancelSort();
        resort_.reset();
        if (needsSorting(column, order))
            resort_ = std::make_pair(column, order);
        else
            order_.setUnsorted();
        return;
    }
    if (!needsSorting(column, order)) {
        cancelSort();
        if (order_.isSorted())
            reorder(false, -1, order, {}, {});
        return;
    }
    if (sortJob_ && sortJob_->column() == column && sortJob_->order() == order)
        return;
    cancelSort();
    if (order_.isSorted() && order_.column() == column && order_.order() == order)
        return;
    // Stably from the order shown, as a sorting proxy does.
    sortJob_ = new ResultsSortJob(*sourceModel(), column, order, order_.rows(), order_.shared(),
                                  {msPerTurn_, maxKeptRows_}, this);
    connect(sortJob_, &ResultsSortJob::announced, this, [this] { emit sortingChanged(true); });
    connect(sortJob_, &ResultsSortJob::ended, this, &ResultsFilterModel::sortEnded);
    sortJob_->start();
}

void ResultsFilterModel::sortEnded() {
    if (sortJob_->end() != ResultsSortJob::End::Sorted) {
        // It failed (out of memory): the rows keep the order they have.
        cancelSort();
        return;
    }
    ResultsSortJob::Sorted sorted = sortJob_->takeSorted();
    const int column = sortJob_->column();
    const Qt::SortOrder sortOrder = sortJob_->order();
    const bool announced = dropSortJob();
    reorder(true, column, sortOrder, std::move(sorted.order), std::move(sorted.rank));
    if (announced)
        emit sortingChanged(false);
}

void ResultsFilterModel::cancelSort() {
    if (sortJob_ && dropSortJob())
        emit sortingChanged(false);
}

bool ResultsFilterModel::dropSortJob() {
    const bool announced = sortJob_->isAnnounced();
    sortJob_->cancel();
    // It may be the one saying it ended: let go of it once it has.
    sortJob_->disconnect(this);
    sortJob_->deleteLater();
    sortJob_ = nullptr;
    return announced;
}
