#pragma once

#include <QString>
#include <functional>

// A results model whose texts shown in a column any thread may read: a sort
// of millions of rows by such a column reads them on workers instead of a
// slice per turn of the event loop (ResultsSortJob asks for it by a cast); the
// same for a column of whole numbers that any thread may read.
class ResultsSortSource {
public:
    // Hands `take` the text shown (Qt::DisplayRole) of each row first to
    // last of a column, in order, from any thread; stops when `take` says false.
    using TakeText = std::function<bool(const QString&)>;
    using TextReader = std::function<void(int first, int last, const TakeText& take)>;

    // A reader of the column's texts, or none: the column has sort values
    // (ResultsSortKey::kSortRole), or its rows cannot be read off the GUI
    // thread now (they may still change). The reader holds what it reads:
    // it may outlive the model.
    virtual TextReader textReader(int column) const {
        Q_UNUSED(column);
        return {};
    }

    // Writes the sort value (ResultsSortKey::kSortRole, a whole number) of
    // rows first to last of a column to values[0] on, from any thread.
    using NumberReader = std::function<void(int first, int last, qint64* values)>;
    // A reader of a column whose every row sorts by a whole number, or none.
    // It holds what it reads: it may outlive the model.
    virtual NumberReader numberReader(int column) const {
        Q_UNUSED(column);
        return {};
    }

protected:
    ~ResultsSortSource() = default;
};
