#pragma once

#include "core/search/FieldColumns.h"
#include "core/search/FoldedFinder.h"
#include "core/search/LineBlanks.h"
#include "core/search/RegexProfile.h"
#include "core/search/ValueMatch.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace re2 {
class RE2;
}

namespace qm {

// A regular expression over field values, in RE2's syntax, matched in time
// linear in the value (RE2 never backtracks). Values are file bytes: RE2 sees
// them as UTF-8, each byte the character the file text rule makes of it, and
// matches are told in bytes of the value, so one character is one byte again.
// `.` is any character, a line feed too; matches are leftmost, then as the
// pattern prefers (as in Perl).
//
// The compiled expression is made once and shared, read-only, by every copy;
// a copy keeps working space of its own, so it is for one thread at a time
// (copy it for each thread).
class FieldRegex {
public:
    // The longest pattern taken: RE2's parser needs memory in proportion to
    // it before the compiled form's limit can tell.
    static constexpr std::size_t kMaxPatternCharacters = 4000;

    // Compiles pattern (characters); false, with the reason in error, when it
    // is no regular expression, or one too large to compile within bounded
    // memory and time.
    bool compile(std::u32string_view pattern, std::string& error);

    // The leftmost match in value, matched without the blanks around it (a
    // field's padding takes no part); start counts from the value's first byte.
    bool search(std::string_view value, std::size_t& start, std::size_t& length) const;
    // Whether a value already without its blanks holds a match (where alone).
    bool matchesTrimmed(std::string_view trimmed) const;
    // The leftmost match of every value that holds one, appended in order:
    // what search() finds value by value, found with one pass over all of
    // them where the pattern allows it, and over those alone whose ends
    // allow a match where the pattern tells (RegexProfile).
    void searchEach(const std::vector<std::string_view>& values,
                    std::vector<ValueMatch>& out) const;
    // Whether searchColumns() serves this pattern: one held to a value's
    // start whose automaton tells most values by their first byte.
    bool readsColumns() const { return profile_.startAnchored() && profile_.automaton(); }
    // The fewest characters a match has, where the pattern tells (else 0):
    // a field narrower than that holds none.
    std::size_t shortestMatch() const { return profile_.minLength(); }
    // What searchEach() finds in the values cut from line at these columns,
    // each told by the pattern's automaton as it is cut and only those it
    // lets through matched by RE2: the record is read once, a few bytes of
    // most values.
    // reach: where the last of them ends.
    void searchColumns(std::string_view line, const std::vector<FieldColumns>& columns,
                       std::size_t reach, std::vector<ValueMatch>& out) const;
    // False when no value cut from line can hold a match, so that a record
    // can be passed over without cutting it into values.
    bool mayMatchWithin(std::string_view line) const;

private:
    // searchEach over the values given, all of them.
    void searchAll(const std::vector<std::string_view>& values, std::vector<ValueMatch>& out) const;
    // Puts the values without their blanks in text_ as UTF-8, one a line,
    // with where each begins in starts_; false when a value holds a line feed.
    bool putOneALine(const std::vector<std::string_view>& values) const;
    // Bytes as RE2 reads them: themselves when they are ASCII, else their UTF-8 in text_.
    std::string_view utf8(std::string_view bytes) const;
    // Runs re over text from byte `from`; the match in bytes of text.
    static bool run(const re2::RE2& re, std::string_view text, std::size_t from, std::size_t& start,
                    std::size_t& end);
    // Characters of UTF-8 text in [from, to).
    static std::size_t characters(std::string_view text, std::size_t from, std::size_t to);

    std::shared_ptr<const re2::RE2> value_;
    // The same in multi-line mode, never matching a line feed, for values
    // put one a line: ^ and $ then stand at each value's start and end.
    // Null when the pattern names the start or end of the whole text.
    std::shared_ptr<const re2::RE2> lines_;
    // The pattern without the ^ and $ at its ends, which any line holding a
    // matching value matches; null when the pattern has other assertions
    // (a ^, $ or \b within it), which leave no such pattern this simple.
    std::shared_ptr<const re2::RE2> within_;
    // RE2's literal prefilter: texts one of which, case ignored, every line
    // holding a matching value holds; null when there are none such, or
    // when they are not all ASCII (where (?i) matches more than the cases of
    // a text: the long s, ſ, matches s).
    std::shared_ptr<const std::vector<FoldedFinder>> atoms_;
    // What every match looks like at its ends.
    RegexProfile profile_;
    mutable std::vector<std::string_view> picked_; // the values the profile lets through
    mutable std::vector<std::size_t> pickedAt_;    // where each is among all
    mutable std::string text_;                     // values as UTF-8
    mutable std::vector<std::size_t> starts_;      // where each value begins in text_
    mutable LineBlanks blanks_;                    // searchColumns()' line
};

} // namespace qm
