#pragma once

#include <QString>
#include <functional>

// A results model whose texts shown in a column any thread may read: a sort
// of millions of rows by such a column reads them on workers instead of a
// slice per turn of the event loop (ResultsSortJob asks for it by a cast).
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
    virtual TextReader textReader(int column) const = 0;

protected:
    ~ResultsSortSource() = default;
};
