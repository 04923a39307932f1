#include "core/filter/FilterLiterals.h"

#include "core/common/TextUtil.h"
#include "core/layouts/FieldValidator.h"

#include <climits>

namespace qm {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "2003-03": the month's days as CCYYMMDD, first to last (a day beyond a
// month's last is no date, so 31 serves every month).
std::optional<FilterProgram::Range> monthOf(std::string_view w) {
    if ((w.size() != 7 && w.size() != 6) || w[4] != '-')
        return std::nullopt;
    for (std::size_t i = 0; i < w.size(); ++i)
        if (i != 4 && !isDigit(w[i]))
            return std::nullopt;
    const std::int64_t year = std::stoll(std::string(w.substr(0, 4)));
    const std::int64_t month = std::stoll(std::string(w.substr(5)));
    if (year < 1 || month < 1 || month > 12)
        return std::nullopt;
    const std::int64_t first = (year * 100 + month) * 100;
    return FilterProgram::Range{first + 1, first + 31};
}

} // namespace

std::optional<FilterProgram::Range> FilterLiterals::number(std::string_view word,
                                                           NumberText::Unit unit) {
    if (unit == NumberText::Unit::Date)
        if (const auto month = monthOf(word))
            return month;
    const std::optional<NumberText> typed = NumberText::parse(word);
    if (!typed || trimSpaces(word).size() != word.size())
        return std::nullopt;
    const std::optional<std::int64_t> n = typed->in(unit);
    if (!n)
        return std::nullopt;
    return FilterProgram::Range{*n, *n};
}

std::string FilterLiterals::expected(NumberText::Unit unit) {
    switch (unit) {
    case NumberText::Unit::Cents:
        return "an amount such as 500.00 or $500";
    case NumberText::Unit::Tenths:
        return "a number such as 1.5";
    case NumberText::Unit::Date:
        return "a date such as 2003-03-01 or 03/01/2003, or a month such as 2003-03,";
    case NumberText::Unit::Whole:
        break;
    }
    return "a whole number such as 12";
}

bool FilterLiterals::text(SearchQuery::Mode mode, std::string_view text, ValueMatcher& matcher,
                          std::string& error) {
    SearchQuery query;
    query.mode = mode;
    query.text = std::string(text);
    return matcher.prepare(query, error);
}

std::optional<std::int64_t> FilterLiterals::valueOf(std::string_view trimmed, bool date) {
    if (!date)
        return parseSignedInteger(trimmed, INT64_MIN, INT64_MAX);
    if (trimmed.size() != 8)
        return std::nullopt;
    for (const char c : trimmed)
        if (!isDigit(c))
            return std::nullopt;
    if (!isDateText(trimmed.substr(4, 2), trimmed.substr(6, 2), trimmed.substr(0, 4)))
        return std::nullopt;
    return parseSignedInteger(trimmed, 0, INT64_MAX);
}

} // namespace qm
