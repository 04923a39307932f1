#pragma once

#include "core/common/TextUtil.h"

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

// A trimmed number: optional sign, digits with at most one decimal point.
inline bool isNumberText(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    bool digit = false, point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}
// Month/day/year parts, each trimmed: a real Gregorian date.
bool isDateText(std::string_view month, std::string_view day, std::string_view year);
bool checkDateValue(std::string_view value, bool required);

// True when value passes the checks. Inline: a whole-file check runs it for
// millions of values.
inline bool checkFieldValue(const FieldChecks& checks, std::string_view value) {
    if (checks.numeric) {
        const std::string_view trimmed = trimSpaces(value);
        if (trimmed.empty())
            return !checks.required;
        return isNumberText(trimmed);
    }
    if (checks.date)
        return checkDateValue(value, checks.required);
    // Text, required or not: a required value must not be blank.
    if (!checks.required)
        return true;
    for (const char c : value)
        if (c != ' ')
            return true;
    return false;
}

// True when value conforms to the type letters (X text, N numeric, R required,
// D date CCYYMMDD; other characters are ignored).
inline bool IsValidFieldValue(std::string_view typeCodes, std::string_view value) {
    return checkFieldValue(fieldChecksOf(typeCodes), value);
}

} // namespace qm
