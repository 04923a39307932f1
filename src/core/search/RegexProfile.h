#pragma once

#include "core/search/PatternDfa.h"
#include "core/search/PatternEnds.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>

namespace qm {

// What every match of a regular expression (RE2's syntax) looks like at its
// ends, read from the pattern alone: the characters that can stand at its
// first and last few places, the fewest and most characters it has, and
// whether it is held to the start or the end of the value by ^ and $. A field search asks it about
// each value of a record before RE2 sees any: a value that cannot hold a match (a date where the
// pattern begins with a letter) costs a few tests, not a match.
//
// It may only ever say too much: a value it turns away holds no match. What
// it cannot read for certain (classes of Unicode properties, a character
// that folds beyond ASCII) it takes as any character, and a pattern outside
// the syntax it knows turns no value away.
class RegexProfile {
public:
    using Bytes = PatternEnds::Bytes;
    // How many characters at each end it knows.
    static constexpr std::size_t kEnds = PatternEnds::kPlaces;

    // A profile that turns no value away.
    RegexProfile() = default;
    // The profile of a pattern (characters) that RE2 compiled; values are
    // file bytes, one character each by the file text rule.
    explicit RegexProfile(std::u32string_view pattern);

    // Whether it can turn a value away at all.
    bool filters() const { return filters_; }
    // Whether a match is held to a value's start or end: then a value's
    // first or last characters tell at once.
    bool anchored() const { return startAnchored_ || endAnchored_; }
    // Whether a match is held to a value's start: its first few bytes tell.
    bool startAnchored() const { return startAnchored_; }
    // False when no value (without its blanks) ending with this byte holds a match.
    bool mayEndWith(char last) const {
        return !filters_ || !endAnchored_ || last_[0][static_cast<unsigned char>(last)];
    }
    // The whole pattern as an automaton; null where it would be too large
    // or the profile does not filter.
    const PatternDfa* automaton() const { return dfa_.get(); }
    // The fewest characters a match has (0 when it does not filter).
    std::size_t minLength() const { return minLength_; }
    // False when the value (without its blanks) cannot hold a match.
    bool mayMatch(std::string_view trimmed) const {
        if (!filters_)
            return true;
        const std::size_t n = trimmed.size();
        if (n < minLength_ || (startAnchored_ && endAnchored_ && n > maxLength_))
            return false;
        // The places within every match: all of the value's when the match
        // is the whole value, else as many as the shortest match has.
        std::size_t ends = n < kEnds ? n : kEnds;
        if (!(startAnchored_ && endAnchored_) && minLength_ < ends)
            ends = minLength_;
        for (std::size_t i = 0; startAnchored_ && i < ends; ++i)
            if (!first_[i][static_cast<unsigned char>(trimmed[i])])
                return false;
        for (std::size_t i = 0; endAnchored_ && i < ends; ++i)
            if (!last_[i][static_cast<unsigned char>(trimmed[n - 1 - i])])
                return false;
        return !dfa_ || dfa_->mayMatch(trimmed);
    }

private:
    // The characters that can stand at each place from a match's start, and
    // from its end.
    std::array<Bytes, kEnds> first_;
    std::array<Bytes, kEnds> last_;
    std::size_t minLength_ = 0;
    std::size_t maxLength_ = 0;
    bool startAnchored_ = false;
    bool endAnchored_ = false;
    bool filters_ = false;
    // The whole pattern, where it is small enough to be made one; shared by copies.
    std::shared_ptr<const PatternDfa> dfa_;
};

} // namespace qm
