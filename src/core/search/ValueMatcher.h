#pragma once

#include "core/search/FieldRegex.h"
#include "core/search/FoldedFinder.h"
#include "core/search/SearchQuery.h"
#include "core/search/ValueMatch.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The test one field value undergoes in a field search: the query's mode and
// text, prepared once. Values are file bytes, matched without the blanks
// around them. Not for two threads at once (copy it for each thread).
class ValueMatcher {
public:
    // False, with the reason in error, when the query cannot be matched (no
    // text to look for, a pattern that is no regular expression).
    bool prepare(const SearchQuery& query, std::string& error);

    // Whether a value (as cut from its record, blanks and all) matches;
    // start and length then give the matched part, in characters from the
    // value's first character. A number compares in the unit of the value's
    // field.
    bool matches(std::string_view value, std::size_t& start, std::size_t& length,
                 NumberText::Unit unit = NumberText::Unit::Whole) const;
    // Whether a value already without its blanks matches: matches() for
    // those that need not know where.
    bool matchesTrimmed(std::string_view trimmed,
                        NumberText::Unit unit = NumberText::Unit::Whole) const;
    // The same for several values (the fields of one record, with the units
    // of their fields where numbers compare; none: whole numbers): every
    // value that matches, in order, appended to out.
    void matchEach(const std::vector<std::string_view>& values, std::vector<ValueMatch>& out,
                   const std::vector<NumberText::Unit>& units = {}) const;
    // Whether matchColumns() serves this query (see FieldRegex::readsColumns).
    bool readsColumns() const { return mode_ == SearchQuery::Mode::Regex && regex_.readsColumns(); }
    // The fewest characters a matching value has (see FieldRegex::shortestMatch).
    std::size_t shortestMatch() const {
        return mode_ == SearchQuery::Mode::Regex ? regex_.shortestMatch() : 0;
    }
    // What matchEach() finds in the values cut from line at these columns.
    void matchColumns(std::string_view line, const std::vector<FieldColumns>& columns,
                      std::size_t reach, std::vector<ValueMatch>& out) const {
        regex_.searchColumns(line, columns, reach, out);
    }
    // Number: whether the number (both ends of a range) can be written in
    // the unit, so that values of fields of that unit can compare with it.
    bool comparesIn(NumberText::Unit unit) const {
        return ranges_[static_cast<std::size_t>(unit)].written;
    }
    // False when no value cut from line can match, so that a record can be
    // passed over without cutting it into fields.
    bool mayMatchWithin(std::string_view line) const;
    // Exact, and possible: the text a value without its blanks must equal
    // (nullptr otherwise), for callers that have the value trimmed already.
    const std::string* exactText() const {
        return mode_ == SearchQuery::Mode::Exact && !impossible_ ? &bytes_ : nullptr;
    }

private:
    // The values that compare with a number, in one unit: low to high, both included.
    struct Range {
        bool written = false; // the number can be written in this unit
        bool empty = false;   // no value can compare (less than the least)
        std::int64_t low = 0;
        std::int64_t high = 0;
    };

    SearchQuery::Mode mode_ = SearchQuery::Mode::Contains;
    std::array<Range, NumberText::kUnitCount> ranges_{};
    // The text holds a character no byte of a file can stand for.
    bool impossible_ = false;
    std::string bytes_; // Exact: the text as file bytes
    FoldedFinder text_; // Contains: the text, case ignored
    FieldRegex regex_;
};

} // namespace qm
