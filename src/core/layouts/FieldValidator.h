#pragma once

#include <cstdint>
#include <string_view>

namespace qm {

// The checks a field's type letters ask for (N numeric, R required, D date;
// upper case only, other characters ignored), worked out once per field.
struct FieldChecks {
    bool numeric = false;
    bool required = false;
    bool date = false;
};

FieldChecks fieldChecksOf(std::string_view typeCodes);
// True when value passes the checks.
bool checkFieldValue(const FieldChecks& checks, std::string_view value);

// True when value conforms to the type letters (X text, N numeric, R required,
// D date CCYYMMDD; other characters are ignored).
inline bool IsValidFieldValue(std::string_view typeCodes, std::string_view value) {
    return checkFieldValue(fieldChecksOf(typeCodes), value);
}

// A trimmed number: optional sign, digits with at most one decimal point.
bool isNumberText(std::string_view trimmed);
// Month/day/year parts, each trimmed: a real Gregorian date.
bool isDateText(std::string_view month, std::string_view day, std::string_view year);

} // namespace qm
