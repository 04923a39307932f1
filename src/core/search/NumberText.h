#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qm {

// A number or date as a person types it to compare field values with:
// a whole number ("160", "-5"), an amount ("160.00", "$1,600.50", "1.5") or
// a date ("2024-03-15", "03/15/2024"). Field values are whole numbers in a
// unit of their own (an amount of money in cents, units of service in
// tenths, a date as CCYYMMDD); in(unit) gives the typed number in that unit.
class NumberText {
public:
    // What a field's stored digits count.
    enum class Unit : std::uint8_t { Whole, Tenths, Cents, Date };
    static constexpr int kUnitCount = 4;
    enum class Kind : std::uint8_t { Whole, Amount, Date };

    // The text, blanks around it aside; nullopt when it is none of the forms
    // above (or too large to compare).
    static std::optional<NumberText> parse(std::string_view text);

    Kind kind() const { return kind_; }
    // Digits typed after the decimal point.
    int places() const { return places_; }
    // The unit a search over every field compares it in: dates with dates,
    // amounts with money, whole numbers with whole numbers.
    Unit ownUnit() const;
    // The number in a field's unit: nullopt when it cannot be written in it
    // (a date in a number field, a fraction finer than the unit, a "$" in
    // a field that is not money, a whole number that is no date in a date
    // field; eight digits that are a date count as one).
    std::optional<std::int64_t> in(Unit unit) const;

private:
    Kind kind_ = Kind::Whole;
    bool dollars_ = false;
    std::int64_t digits_ = 0; // the number's digits, its decimal point dropped
    int places_ = 0;          // digits after the decimal point
};

} // namespace qm
