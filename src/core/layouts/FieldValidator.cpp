#include "core/layouts/FieldValidator.h"

#include "core/common/TextUtil.h"

namespace qm {

namespace {

bool allDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Value of a short run of digits; callers have checked allDigits.
long digitsValue(std::string_view digits) {
    long v = 0;
    for (char c : digits) {
        v = v * 10 + (c - '0');
        if (v > 100000)
            return v; // far beyond any month, day or year we accept
    }
    return v;
}

bool isLeapYear(long y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool isRealDate(long y, long mo, long d) {
    if (mo < 1 || mo > 12 || y < 1 || y > 9999 || d < 1)
        return false;
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const long last = kDays[mo - 1] + (mo == 2 && isLeapYear(y) ? 1 : 0);
    return d <= last;
}

} // namespace

bool isDateText(std::string_view month, std::string_view day, std::string_view year) {
    month = trimSpaces(month);
    day = trimSpaces(day);
    year = trimSpaces(year);
    if (!allDigits(month) || !allDigits(day) || !allDigits(year))
        return false;
    return isRealDate(digitsValue(year), digitsValue(month), digitsValue(day));
}

FieldChecks fieldChecksOf(std::string_view typeCodes) {
    FieldChecks checks;
    for (char c : typeCodes) {
        checks.numeric = checks.numeric || c == 'N';
        checks.required = checks.required || c == 'R';
        checks.date = checks.date || c == 'D';
    }
    return checks;
}

bool checkDateValue(std::string_view value, bool required) {
    // The usual cases, a blank date or eight digits, at a glance.
    const ShortValue v(value);
    if (v.fits() && v.blank())
        return !required;
    if (value.size() == 8 && v.digits()) {
        const long y = v.digit(0) * 1000 + v.digit(1) * 100 + v.digit(2) * 10 + v.digit(3);
        const long mo = v.digit(4) * 10 + v.digit(5);
        const long d = v.digit(6) * 10 + v.digit(7);
        if (y == 0 && mo == 0 && d == 0) // "00000000" is a blank date
            return !required;
        return isRealDate(y, mo, d);
    }
    if (value == "00000000" || trimSpaces(value).empty())
        return !required;
    return isDateText(columns(value, 5, 2), columns(value, 7, 2), columns(value, 1, 4));
}

} // namespace qm
