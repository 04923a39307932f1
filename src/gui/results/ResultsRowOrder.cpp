#include "gui/results/ResultsRowOrder.h"

#include "gui/common/BackgroundRelease.h"
#include "gui/results/ResultsRowPlaces.h"

#include <QAbstractItemModel>
#include <algorithm>
#include <cstdint>

ResultsRowOrder::~ResultsRowOrder() = default;

int ResultsRowOrder::sortedRowOf(int sourceRow) const {
    if (!sorted_)
        return sourceRow;
    if (rankStale_) {
        rank_.assign(sourceRows_->size(), -1);
        for (std::size_t row = 0; row < sourceRows_->size(); ++row)
            rank_[std::size_t((*sourceRows_)[row])] = int(row);
        rankStale_ = false;
    }
    return std::size_t(sourceRow) < rank_.size() ? rank_[std::size_t(sourceRow)] : -1;
}

std::vector<int> ResultsRowOrder::sortedRowsOf(const std::vector<int>& sourceRows) const {
    std::vector<int> sortedRows(sourceRows.size(), -1);
    if (!sorted_ || !rankStale_) {
        for (std::size_t i = 0; i < sourceRows.size(); ++i)
            sortedRows[i] = sortedRowOf(sourceRows[i]);
        return sortedRows;
    }
    // One look along the order, the rows asked marked a bit each: a
    // selection's cells cost as little as the current one.
    const std::vector<int>& order = *sourceRows_;
    std::vector<std::pair<int, std::size_t>> asked; // source row, place in sourceRows
    for (std::size_t i = 0; i < sourceRows.size(); ++i)
        if (sourceRows[i] >= 0 && std::size_t(sourceRows[i]) < order.size())
            asked.emplace_back(sourceRows[i], i);
    std::sort(asked.begin(), asked.end());
    std::vector<std::uint64_t> marks((order.size() + 63) / 64);
    for (const auto& [source, i] : asked)
        marks[std::size_t(source) / 64] |= std::uint64_t(1) << (source % 64);
    std::size_t left = asked.size();
    for (std::size_t row = 0; row < order.size() && left > 0; ++row) {
        const auto source = std::size_t(order[row]);
        if (source >= order.size() || !((marks[source / 64] >> (source % 64)) & 1))
            continue;
        auto at = std::lower_bound(asked.begin(), asked.end(),
                                   std::pair<int, std::size_t>(int(source), 0));
        for (; at != asked.end() && at->first == int(source); ++at, --left)
            sortedRows[at->second] = int(row);
    }
    return sortedRows;
}

void ResultsRowOrder::take(const QAbstractItemModel* source, bool sorted, int column,
                           Qt::SortOrder order, std::vector<int> rows, std::vector<int> rank) {
    // Ten million rows' order is 40 MB: let go of off this thread.
    BackgroundRelease::drop(std::move(sourceRows_));
    BackgroundRelease::drop(std::make_shared<std::vector<int>>(std::move(rank_)));
    sorted_ = sorted;
    column_ = sorted ? column : -1;
    order_ = order;
    sourceRows_ = std::make_shared<std::vector<int>>(std::move(rows));
    if (rank.size() <= kRankKeptRows)
        rank_ = std::move(rank);
    else
        BackgroundRelease::drop(std::make_shared<std::vector<int>>(std::move(rank)));
    rankStale_ = rank_.size() != sourceRows_->size();
    count(source);
}

void ResultsRowOrder::sortBy(int column, Qt::SortOrder order) {
    sorted_ = true;
    column_ = column;
    order_ = order;
}

void ResultsRowOrder::readAgain(const QAbstractItemModel* source) {
    if (!source) {
        sourceRows_ = std::make_shared<std::vector<int>>();
        rows_ = 0;
        return;
    }
    if (sorted_) {
        sourceRows_ = std::make_shared<std::vector<int>>(
            ResultsRowPlaces::rowsFrom(0, source->rowCount() - 1));
        ResultsRowPlaces::sortHere(*source, *sourceRows_, column_, order_);
        rankStale_ = true;
    }
    count(source);
}

void ResultsRowOrder::count(const QAbstractItemModel* source) {
    // Unsorted, the rows stand as the source has them: none to map, of
    // millions perhaps.
    if (!sorted_) {
        sourceRows_ = std::make_shared<std::vector<int>>();
        std::vector<int>().swap(rank_);
        rows_ = source ? source->rowCount() : 0;
        return;
    }
    rows_ = int(sourceRows_->size());
}

std::vector<std::pair<int, std::vector<int>>>
ResultsRowOrder::placesOf(const QAbstractItemModel& source, int first, int last) const {
    return ResultsRowPlaces::placesOf(source, ResultsRowPlaces::rowsFrom(first, last), *sourceRows_,
                                      column_, order_);
}

void ResultsRowOrder::insert(int first, const std::vector<int>& added) {
    // A sort under way reads the order as it stood: it keeps that copy.
    if (sourceRows_.use_count() > 1)
        sourceRows_ = std::make_shared<std::vector<int>>(*sourceRows_);
    sourceRows_->insert(sourceRows_->begin() + first, added.begin(), added.end());
    rows_ += int(added.size());
    rankStale_ = true;
}
