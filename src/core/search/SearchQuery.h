#pragma once

#include "core/search/NumberText.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// What a field search looks for, and where. Values are matched without the
// blanks around them (a field's padding takes no part); the text's own blanks
// count, except around an exact text.
struct SearchQuery {
    enum class Mode {
        Contains, // the text anywhere in the value, case ignored as Find ignores it
        Exact,    // the value is the text, case and all
        Regex,    // the value holds a match of the regular expression (see FieldRegex)
        Number    // a number or date field whose value compares so (see NumberText)
    };
    enum class Compare { Equal, Less, Greater, Between };

    Mode mode = Mode::Contains;
    std::string text;                 // UTF-8 (Contains, Exact, Regex)
    Compare compare = Compare::Equal; // Number
    NumberText number;                // Number: compared with; Between: the lowest
    NumberText upTo;                  // Between: the highest (both ends included)
    // Only records of this type; empty: every type.
    std::string recordType;
    // Only this field: its number with the record type ("CA0 05.0"), its
    // number alone ("05.0", in every type that has it) or its name (case
    // ignored); empty: every field.
    std::string field;

    // Reads a comparison into compare, number and upTo: "=N", "<N", ">N",
    // "N..M" (between) or a plain "N" (equal), where N is a whole number, an
    // amount or a date as NumberText reads them; false, with the reason in
    // error, when expression is none of these.
    bool setComparison(std::string_view expression, std::string& error);
    // The unit a number search over fields of every kind compares in: that
    // of the number typed (NumberText::ownUnit), the finer one of a range's
    // ends.
    NumberText::Unit ownUnit() const;

    // The characters of text. Bytes that are no UTF-8 stand for the
    // characters the file text rule makes of them.
    std::u32string characters() const;
};

} // namespace qm
