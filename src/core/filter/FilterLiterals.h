#pragma once

#include "core/filter/FilterProgram.h"
#include "core/search/NumberText.h"
#include "core/search/SearchQuery.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The values of a filter expression as people type them, read in the unit of
// the field they are compared with, and the values of fields as the filter
// reads them.
class FilterLiterals {
public:
    // What a word stands for in a unit: a number (500, 500.00, $500: $500.00
    // in a money field), a date (2003-03-01, 03/01/2003) or, in a date
    // field, a month (2003-03: its first to its last day); nullopt when it
    // cannot be written in the unit.
    static std::optional<FilterProgram::Range> number(std::string_view word, NumberText::Unit unit);
    // What number() reads in a unit, for messages: "an amount such as 500.00 or $500".
    static std::string expected(NumberText::Unit unit);

    // A value test on texts: exact (the trimmed value, case and all),
    // contains (case ignored) or matches (RE2); false, with the reason in
    // error, when the text cannot be looked for (a pattern that is no
    // regular expression).
    static bool text(SearchQuery::Mode mode, std::string_view text, ValueMatcher& matcher,
                     std::string& error);

    // A field value that is blank: nothing but blanks, or "00000000" in a
    // date field, as the field check has it.
    static bool isBlank(std::string_view value, std::string_view trimmed, bool date) {
        return trimmed.empty() || (date && value == "00000000");
    }
    // The number a trimmed field value reads as: a whole number in the
    // field's unit; in a date field only a real date CCYYMMDD.
    static std::optional<std::int64_t> valueOf(std::string_view trimmed, bool date);
};

} // namespace qm
