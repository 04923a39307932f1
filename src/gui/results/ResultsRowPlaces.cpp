#include "gui/results/ResultsRowPlaces.h"

#include "gui/results/ResultsSortKey.h"

#include <QAbstractItemModel>
#include <algorithm>
#include <numeric>

std::vector<int> ResultsRowPlaces::rowsFrom(int first, int last) {
    std::vector<int> rows(std::size_t(last >= first ? last - first + 1 : 0));
    std::iota(rows.begin(), rows.end(), first);
    return rows;
}

bool ResultsRowPlaces::sortsBefore(const QAbstractItemModel& source, int sourceA, int sourceB,
                                   int column, Qt::SortOrder order) {
    if (order == Qt::DescendingOrder)
        std::swap(sourceA, sourceB);
    ResultsSortKey a = ResultsSortKey::read(source, sourceA, column);
    ResultsSortKey b = ResultsSortKey::read(source, sourceB, column);
    if (a.hasSortValue() != b.hasSortValue()) {
        a = ResultsSortKey::read(source, sourceA, column, true);
        b = ResultsSortKey::read(source, sourceB, column, true);
    }
    return a < b;
}

void ResultsRowPlaces::sortHere(const QAbstractItemModel& source, std::vector<int>& rows,
                                int column, Qt::SortOrder order) {
    std::stable_sort(rows.begin(), rows.end(), [&source, column, order](int a, int b) {
        return sortsBefore(source, a, b, column, order);
    });
}

std::vector<std::pair<int, std::vector<int>>>
ResultsRowPlaces::placesOf(const QAbstractItemModel& source, std::vector<int> added,
                           const std::vector<int>& sorted, int column, Qt::SortOrder order) {
    sortHere(source, added, column, order);
    // Each run starts after the sorted rows it does not sort before, and
    // takes the arriving rows that follow while they do not sort after the
    // row it stands before.
    std::vector<std::pair<int, std::vector<int>>> places;
    int low = 0;
    std::size_t next = 0;
    while (next < added.size()) {
        std::vector<int> run{added[next++]};
        int high = int(sorted.size()) - 1;
        while (low <= high) {
            const int middle = (low + high) / 2;
            if (sortsBefore(source, run.front(), sorted[std::size_t(middle)], column, order))
                high = middle - 1;
            else
                low = middle + 1;
        }
        const int place = low;
        if (place >= int(sorted.size())) {
            run.insert(run.end(), added.begin() + std::ptrdiff_t(next), added.end());
            next = added.size();
        } else {
            for (; next < added.size(); ++next) {
                if (sortsBefore(source, sorted[std::size_t(place)], added[next], column, order))
                    break;
                run.push_back(added[next]);
            }
        }
        places.emplace_back(place, std::move(run));
    }
    return places;
}

void ResultsRowPlaces::insert(const QAbstractItemModel& source, int first, int last,
                              std::vector<int>& sorted, int column, Qt::SortOrder order) {
    const auto places = placesOf(source, rowsFrom(first, last), sorted, column, order);
    for (auto place = places.rbegin(); place != places.rend(); ++place)
        sorted.insert(sorted.begin() + place->first, place->second.begin(), place->second.end());
}
