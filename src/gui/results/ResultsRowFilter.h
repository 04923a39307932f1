#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

class QAbstractItemModel;

// What a results window's filter asks of a row: that a column holds the text
// (case ignored) and, when a category is chosen, that the row's category
// equals it. Empty text and no category: every row.
struct ResultsRowFilter {
    QString text;
    QVariant category;

    bool operator==(const ResultsRowFilter& other) const {
        return text == other.text && category == other.category;
    }
    bool showsAll() const { return text.isEmpty() && !category.isValid(); }
    bool accepts(const QAbstractItemModel& source, int row, int categoryRole) const;
    // Every row this filter accepts is one `other` accepts.
    bool within(const ResultsRowFilter& other) const;
};

// A new filter weighed over a model's rows a slice at a time, so that a
// million rows never hold the window.
class ResultsFilterPass {
public:
    ResultsFilterPass(ResultsRowFilter filter, int categoryRole)
        : filter_(std::move(filter))
        , categoryRole_(categoryRole) {}

    const ResultsRowFilter& filter() const { return filter_; }
    // A filter within the one shown needs to weigh only the rows shown; one
    // that holds it, only the rows not shown. `shownRows` are those shown of
    // `rows`, as source rows.
    void startFrom(const ResultsRowFilter& shown, int rows, const std::vector<int>& shownRows);
    // Weighs rows until every one is (true) or msPerTurn has passed.
    bool weigh(const QAbstractItemModel& source, int msPerTurn);
    bool accepted(int sourceRow) const { return accepts_[std::size_t(sourceRow)] == kAccepted; }
    // The rows changed: every one weighed again.
    void restart();

private:
    static constexpr char kUnweighed = 0;
    static constexpr char kAccepted = 1;
    static constexpr char kRejected = 2;

    ResultsRowFilter filter_;
    int categoryRole_;
    std::vector<char> accepts_; // by source row: weighed yet, and how
    int next_ = 0;
};
