#pragma once

#include <string_view>

namespace qm {

// True when value conforms to the type letters (X text, N numeric, R required,
// D date CCYYMMDD; other characters are ignored).
bool IsValidFieldValue(std::string_view typeCodes, std::string_view value);

// A trimmed number: optional sign, digits with at most one decimal point.
bool isNumberText(std::string_view trimmed);
// Month/day/year parts, each trimmed: a real Gregorian date.
bool isDateText(std::string_view month, std::string_view day, std::string_view year);

} // namespace qm
