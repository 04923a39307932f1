#pragma once

#include "core/search/FieldRegex.h"
#include "core/search/FoldedFinder.h"
#include "core/search/SearchQuery.h"
#include "core/search/ValueMatch.h"

#include <cstddef>
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
    // value's first character.
    bool matches(std::string_view value, std::size_t& start, std::size_t& length) const;
    // The same for several values (the fields of one record): every value
    // that matches, in order, appended to out.
    void matchEach(const std::vector<std::string_view>& values, std::vector<ValueMatch>& out) const;
    // False when no value cut from line can match, so that a record can be
    // passed over without cutting it into fields.
    bool mayMatchWithin(std::string_view line) const;

private:
    bool compares(std::int64_t value) const;

    SearchQuery::Mode mode_ = SearchQuery::Mode::Contains;
    SearchQuery::Compare compare_ = SearchQuery::Compare::Equal;
    std::int64_t number_ = 0;
    std::int64_t upTo_ = 0;
    // The text holds a character no byte of a file can stand for.
    bool impossible_ = false;
    std::string bytes_; // Exact: the text as file bytes
    FoldedFinder text_; // Contains: the text, case ignored
    FieldRegex regex_;
};

} // namespace qm
