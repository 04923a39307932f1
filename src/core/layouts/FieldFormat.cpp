#include "core/layouts/FieldFormat.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/layouts/FieldValidator.h"

#include <climits>

namespace qm {

namespace {

constexpr std::string_view kWords[] = {"plain", "money", "tenths", "date", "code"};

// A stored number: digits with an optional sign, blanks around it aside.
std::optional<std::int64_t> storedNumber(std::string_view value) {
    const std::string_view t = trimSpaces(value);
    return isNumberText(t) && t.find('.') == std::string_view::npos
               ? parseSignedInteger(t, INT64_MIN + 1, INT64_MAX)
               : std::nullopt;
}

// The digits of a magnitude with a comma every three: "1,600".
std::string grouped(std::uint64_t whole) {
    std::string digits = std::to_string(whole);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

// A number of hundredths or tenths (places 2 or 1) as "[-][$]1,600.50";
// without the commas when a program is to read it.
std::string decimal(std::int64_t number, int places, bool dollars, bool commas = true) {
    const std::uint64_t magnitude =
        number < 0 ? std::uint64_t(0) - std::uint64_t(number) : std::uint64_t(number);
    const std::uint64_t unit = places == 2 ? 100 : 10;
    std::string fraction = std::to_string(magnitude % unit);
    fraction.insert(0, std::size_t(places) - fraction.size(), '0');
    return (number < 0 ? "-" : "") + std::string(dollars ? "$" : "") +
           (commas ? grouped(magnitude / unit) : std::to_string(magnitude / unit)) + '.' + fraction;
}

} // namespace

void FieldFormat::addMeaning(std::string code, std::string meaning) {
    meanings_.push_back({std::move(code), std::move(meaning)});
}

std::string FieldFormat::shown(std::string_view value) const {
    switch (kind_) {
    case Kind::Plain:
        break;
    case Kind::Money:
    case Kind::Tenths:
    case Kind::Date:
        if (const std::optional<std::int64_t> number = storedNumber(value))
            return kind_ == Kind::Date && trimSpaces(value).size() != 8 ? std::string()
                                                                        : shownNumber(*number);
        break;
    case Kind::Code: {
        const std::string_view code = trimSpaces(value);
        for (const Meaning& m : meanings_)
            if (!code.empty() && m.code == code)
                return FileText::toUtf8(code) + " \u2014 " + m.meaning;
        break;
    }
    }
    return {};
}

std::string FieldFormat::amount(std::string_view value) const {
    const std::optional<std::int64_t> cents =
        kind_ == Kind::Money ? storedNumber(value) : std::nullopt;
    return cents ? decimal(*cents, 2, false, false) : std::string();
}

std::string FieldFormat::shownNumber(std::int64_t number) const {
    switch (kind_) {
    case Kind::Money:
        return money(number);
    case Kind::Tenths:
        return tenths(number);
    case Kind::Date:
        return date(number);
    case Kind::Plain:
    case Kind::Code:
        break;
    }
    return {};
}

std::string FieldFormat::money(std::int64_t cents) {
    return decimal(cents, 2, true);
}

std::string FieldFormat::tenths(std::int64_t tenths) {
    return decimal(tenths, 1, false);
}

std::string FieldFormat::date(std::int64_t ccyymmdd) {
    if (ccyymmdd < 10000101 || ccyymmdd > 99991231)
        return {};
    const std::string digits = std::to_string(ccyymmdd);
    const std::string_view d = digits;
    if (!isDateText(d.substr(4, 2), d.substr(6, 2), d.substr(0, 4)))
        return {};
    return digits.substr(0, 4) + '-' + digits.substr(4, 2) + '-' + digits.substr(6, 2);
}

std::string_view FieldFormat::word(Kind kind) {
    return kWords[static_cast<std::size_t>(kind)];
}

std::optional<FieldFormat::Kind> FieldFormat::kindOf(std::string_view word) {
    for (std::size_t k = 0; k < std::size(kWords); ++k)
        if (kWords[k] == word)
            return static_cast<Kind>(k);
    return std::nullopt;
}

} // namespace qm
