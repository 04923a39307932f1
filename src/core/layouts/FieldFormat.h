#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// How a field's value is shown to a person, as the format file beside the map
// says: an amount of money with two implied decimal places, a number with one,
// a date CCYYMMDD, a code with the meanings of its values, or as stored. The
// stored value stays what every check, search and export works on; this only
// words it.
class FieldFormat {
public:
    enum class Kind : std::uint8_t { Plain, Money, Tenths, Date, Code };
    struct Meaning {
        std::string code;    // as the value holds it, blanks around it aside
        std::string meaning; // UTF-8
    };

    FieldFormat() = default;
    explicit FieldFormat(Kind kind)
        : kind_(kind) {}

    Kind kind() const { return kind_; }
    const std::vector<Meaning>& meanings() const { return meanings_; }
    void addMeaning(std::string code, std::string meaning);

    // The value as a person reads it (UTF-8): "$157.51", "1.5", "1983-06-02",
    // "11 — Office". Empty when the value is shown as stored: a plain field, a
    // blank value, a code without a meaning, and any value that does not read
    // as its format says (an invalid value is never reformatted).
    std::string shown(std::string_view value) const;
    // A whole number in the field's own units (cents, tenths, the digits of a
    // date) as a person reads it; empty where the format has no such reading.
    std::string shownNumber(std::int64_t number) const;

    // A money field's value in dollars as a spreadsheet reads a number
    // ("1600.50", "-0.05"); empty for another field and for a value that
    // does not read as money.
    std::string amount(std::string_view value) const;
    // "$1,600.50", "-$0.05".
    static std::string money(std::int64_t cents);
    // "1.5", "1,200.0".
    static std::string tenths(std::int64_t tenths);
    // "2024-03-15" for 20240315; empty for a number that is no date.
    static std::string date(std::int64_t ccyymmdd);

    // The word a format file gives a kind: "plain", "money", "tenths",
    // "date", "code"; and back (nullopt for another word).
    static std::string_view word(Kind kind);
    static std::optional<Kind> kindOf(std::string_view word);

private:
    Kind kind_ = Kind::Plain;
    std::vector<Meaning> meanings_;
};

} // namespace qm
