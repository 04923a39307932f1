#include "core/search/ValueMatcher.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/layouts/FieldValidator.h"

#include <climits>
#include <limits>

namespace qm {

namespace {

constexpr std::int64_t kLeast = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();

} // namespace

bool ValueMatcher::prepare(const SearchQuery& query, std::string& error) {
    mode_ = query.mode;
    impossible_ = false;
    for (int u = 0; u < NumberText::kUnitCount; ++u) {
        const auto unit = static_cast<NumberText::Unit>(u);
        const std::optional<std::int64_t> n = query.number.in(unit);
        const std::optional<std::int64_t> upTo =
            query.compare == SearchQuery::Compare::Between ? query.upTo.in(unit) : n;
        Range& range = ranges_[std::size_t(u)];
        range = Range();
        range.written = mode_ == SearchQuery::Mode::Number && n && upTo;
        if (!range.written)
            continue;
        switch (query.compare) {
        case SearchQuery::Compare::Equal:
        case SearchQuery::Compare::Between:
            range.low = *n;
            range.high = *upTo;
            break;
        case SearchQuery::Compare::Less:
            range.empty = *n == kLeast;
            range.low = kLeast;
            range.high = *n - (range.empty ? 0 : 1);
            break;
        case SearchQuery::Compare::Greater:
            range.empty = *n == kMost;
            range.low = *n + (range.empty ? 0 : 1);
            range.high = kMost;
            break;
        }
    }
    const auto& chars = FileText::codePoints();
    switch (mode_) {
    case SearchQuery::Mode::Contains:
        impossible_ = !text_.prepare(query.characters());
        if (text_.size() == 0) {
            error = "no text to search for";
            return false;
        }
        return true;
    case SearchQuery::Mode::Exact:
        bytes_.clear();
        for (const char32_t c : query.characters()) {
            std::size_t b = 0;
            while (b < 256 && chars[b] != c)
                ++b;
            impossible_ = impossible_ || b == 256;
            bytes_.push_back(static_cast<char>(b));
        }
        bytes_ = std::string(trimSpaces(bytes_));
        return true;
    case SearchQuery::Mode::Regex:
        if (regex_.compile(query.characters(), error))
            return true;
        error = "not a regular expression: " + error;
        return false;
    case SearchQuery::Mode::Number:
        return true;
    }
    return false;
}

bool ValueMatcher::matches(std::string_view value, std::size_t& start, std::size_t& length,
                           NumberText::Unit unit) const {
    if (impossible_)
        return false;
    // A pattern trims the value itself.
    if (mode_ == SearchQuery::Mode::Regex)
        return regex_.search(value, start, length);
    const std::string_view trimmed = trimSpaces(value);
    const std::size_t offset = std::size_t(trimmed.data() - value.data());
    switch (mode_) {
    case SearchQuery::Mode::Contains: {
        const std::size_t at = text_.find(trimmed);
        if (at == std::string_view::npos)
            return false;
        start = offset + at;
        length = text_.size();
        return true;
    }
    case SearchQuery::Mode::Exact:
        start = offset;
        length = trimmed.size();
        return trimmed == bytes_;
    case SearchQuery::Mode::Regex:
        break;
    case SearchQuery::Mode::Number: {
        const Range& range = ranges_[static_cast<std::size_t>(unit)];
        if (!range.written || range.empty)
            return false;
        // A date field's value is a date only when it is a day of the calendar
        // (never 00000000, 20230229 or 99999999).
        if (unit == NumberText::Unit::Date &&
            (trimmed.size() != 8 ||
             !isDateText(trimmed.substr(4, 2), trimmed.substr(6, 2), trimmed.substr(0, 4))))
            return false;
        const auto number = parseSignedInteger(trimmed, INT64_MIN, INT64_MAX);
        start = offset;
        length = trimmed.size();
        return number && *number >= range.low && *number <= range.high;
    }
    }
    return false;
}

bool ValueMatcher::matchesTrimmed(std::string_view trimmed, NumberText::Unit unit) const {
    if (mode_ == SearchQuery::Mode::Regex)
        return !impossible_ && regex_.matchesTrimmed(trimmed);
    std::size_t start = 0, length = 0;
    return matches(trimmed, start, length, unit);
}

void ValueMatcher::matchEach(const std::vector<std::string_view>& values,
                             std::vector<ValueMatch>& out,
                             const std::vector<NumberText::Unit>& units) const {
    if (mode_ == SearchQuery::Mode::Regex) {
        regex_.searchEach(values, out);
        return;
    }
    std::size_t start = 0, length = 0;
    for (std::size_t k = 0; k < values.size(); ++k)
        if (matches(values[k], start, length,
                    k < units.size() ? units[k] : NumberText::Unit::Whole))
            out.push_back({k, start, length});
}

bool ValueMatcher::mayMatchWithin(std::string_view line) const {
    if (impossible_)
        return false;
    switch (mode_) {
    case SearchQuery::Mode::Contains:
        return text_.find(line) != std::string_view::npos;
    case SearchQuery::Mode::Exact:
        return line.find(bytes_) != std::string_view::npos;
    case SearchQuery::Mode::Regex:
        return regex_.mayMatchWithin(line);
    case SearchQuery::Mode::Number:
        break;
    }
    return true;
}

} // namespace qm
