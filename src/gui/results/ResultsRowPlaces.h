#pragma once

#include <Qt>
#include <utility>
#include <vector>

class QAbstractItemModel;

// Where rows stand among rows sorted by a column, worked out here and now as
// a sorting proxy does it, reading their values (ResultsSortKey) per
// comparison: for rows that arrive while the rows are sorted, and for values
// that a sort cannot keep.
class ResultsRowPlaces {
public:
    // Rows first to last, in order.
    static std::vector<int> rowsFrom(int first, int last);
    // Whether source row a sorts before row b by a column, reading their values.
    static bool sortsBefore(const QAbstractItemModel& source, int sourceA, int sourceB, int column,
                            Qt::SortOrder order);
    // Sorts source rows stably from the order given.
    static void sortHere(const QAbstractItemModel& source, std::vector<int>& rows, int column,
                         Qt::SortOrder order);
    // Where rows appended to the source go among rows sorted by a column:
    // runs of rows, each with the sorted row it goes before, in ascending order.
    static std::vector<std::pair<int, std::vector<int>>> placesOf(const QAbstractItemModel& source,
                                                                  std::vector<int> added,
                                                                  const std::vector<int>& sorted,
                                                                  int column, Qt::SortOrder order);
    // Source rows first to last put into `sorted` at their places.
    static void insert(const QAbstractItemModel& source, int first, int last,
                       std::vector<int>& sorted, int column, Qt::SortOrder order);
};
