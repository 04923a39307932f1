#pragma once

#include "core/search/LinearRegex.h"
#include "core/search/SearchQuery.h"

#include <array>
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
    // False when no value cut from line can match, so that a record can be
    // passed over without cutting it into fields.
    bool mayMatchWithin(std::string_view line) const;

private:
    // Contains: where the text first appears, case ignored, or npos.
    std::size_t find(std::string_view text) const;
    bool compares(std::int64_t value) const;

    SearchQuery::Mode mode_ = SearchQuery::Mode::Contains;
    SearchQuery::Compare compare_ = SearchQuery::Compare::Equal;
    std::int64_t number_ = 0;
    std::int64_t upTo_ = 0;
    // The text holds a character no byte of a file can stand for.
    bool impossible_ = false;
    std::string bytes_;                 // Exact: the text as file bytes
    std::vector<char32_t> needle_;      // Contains: the text in upper case
    std::array<char32_t, 256> upper_{}; // every byte's character in upper case
    std::vector<char> heads_;           // the bytes whose upper case is needle_[0]
    LinearRegex regex_;
};

} // namespace qm
