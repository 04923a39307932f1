#include "core/search/NumberText.h"

#include "core/common/TextUtil.h"
#include "core/layouts/FieldValidator.h"

#include <limits>

namespace qm {

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A run of one to `most` digits from at; its end, or npos.
std::size_t digitsFrom(std::string_view t, std::size_t at, std::size_t least, std::size_t most) {
    std::size_t end = at;
    while (end < t.size() && isDigit(t[end]))
        ++end;
    return end - at >= least && end - at <= most ? end : std::string_view::npos;
}

// "2024-03-15" or "03/15/2024" as CCYYMMDD.
std::optional<std::int64_t> dateOf(std::string_view t) {
    std::string_view year, month, day;
    std::size_t a = digitsFrom(t, 0, 4, 4);
    if (a != std::string_view::npos && a < t.size() && t[a] == '-') {
        const std::size_t b = digitsFrom(t, a + 1, 1, 2);
        if (b == std::string_view::npos || b >= t.size() || t[b] != '-' ||
            digitsFrom(t, b + 1, 1, 2) != t.size())
            return std::nullopt;
        year = t.substr(0, 4);
        month = t.substr(a + 1, b - a - 1);
        day = t.substr(b + 1);
    } else {
        a = digitsFrom(t, 0, 1, 2);
        if (a == std::string_view::npos || a >= t.size() || t[a] != '/')
            return std::nullopt;
        const std::size_t b = digitsFrom(t, a + 1, 1, 2);
        if (b == std::string_view::npos || b >= t.size() || t[b] != '/' ||
            digitsFrom(t, b + 1, 4, 4) != t.size())
            return std::nullopt;
        month = t.substr(0, a);
        day = t.substr(a + 1, b - a - 1);
        year = t.substr(b + 1);
    }
    if (!isDateText(month, day, year))
        return std::nullopt;
    auto value = [](std::string_view digits) {
        std::int64_t v = 0;
        for (const char c : digits)
            v = v * 10 + (c - '0');
        return v;
    };
    return value(year) * 10000 + value(month) * 100 + value(day);
}

std::int64_t powerOfTen(int n) {
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

std::optional<NumberText> NumberText::parse(std::string_view text) {
    const std::string_view t = trimSpaces(text);
    NumberText number;
    if (const std::optional<std::int64_t> date = dateOf(t)) {
        number.kind_ = Kind::Date;
        number.digits_ = *date;
        return number;
    }
    std::size_t i = 0;
    bool negative = false;
    // "-$5", "$-5", "+5", "$5".
    for (int signs = 0; signs < 2 && i < t.size(); ++signs) {
        if (t[i] == '$' && !number.dollars_) {
            number.dollars_ = true;
            ++i;
        } else if ((t[i] == '-' || t[i] == '+') && i == std::size_t(number.dollars_)) {
            negative = t[i] == '-';
            ++i;
        }
    }
    bool commas = false, point = false;
    std::size_t digits = 0, sinceComma = 0;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (isDigit(c)) {
            if (value > (kMax - (c - '0')) / 10)
                return std::nullopt;
            value = value * 10 + (c - '0');
            ++digits;
            ++sinceComma;
            number.places_ += point ? 1 : 0;
        } else if (c == ',' && !point && digits > 0 && (commas ? sinceComma == 3 : digits <= 3)) {
            commas = true;
            sinceComma = 0;
        } else if (c == '.' && !point && (!commas || sinceComma == 3)) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    // Commas group thousands: "1,600", never "1,60" or "16,00.5".
    if (digits == 0 || (commas && !point && sinceComma != 3) || number.places_ > 18)
        return std::nullopt;
    number.kind_ = number.dollars_ || commas || point ? Kind::Amount : Kind::Whole;
    number.digits_ = negative ? -value : value;
    return number;
}

NumberText::Unit NumberText::ownUnit() const {
    switch (kind_) {
    case Kind::Date:
        return Unit::Date;
    case Kind::Amount:
        return Unit::Cents;
    case Kind::Whole:
        break;
    }
    return Unit::Whole;
}

std::optional<std::int64_t> NumberText::in(Unit unit) const {
    if (unit == Unit::Date) {
        if (kind_ == Kind::Date)
            return digits_;
        // Eight digits, as a date field stores them.
        const bool eightDigits = kind_ == Kind::Whole && digits_ >= 10000101 && digits_ <= 99991231;
        const std::string d = std::to_string(digits_);
        return eightDigits && isDateText(std::string_view(d).substr(4, 2),
                                         std::string_view(d).substr(6, 2),
                                         std::string_view(d).substr(0, 4))
                   ? std::optional<std::int64_t>(digits_)
                   : std::nullopt;
    }
    if (kind_ == Kind::Date || (dollars_ && unit != Unit::Cents))
        return std::nullopt;
    const int places = unit == Unit::Cents ? 2 : unit == Unit::Tenths ? 1 : 0;
    if (places < places_) {
        const std::int64_t dropped = powerOfTen(places_ - places);
        if (digits_ % dropped != 0)
            return std::nullopt;
        return digits_ / dropped;
    }
    const std::int64_t factor = powerOfTen(places - places_);
    if (digits_ > kMax / factor || digits_ < -kMax / factor)
        return std::nullopt;
    return digits_ * factor;
}

} // namespace qm
