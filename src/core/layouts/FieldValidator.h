#pragma once

#include "core/common/TextUtil.h"

#include <cstdint>
#include <cstring>
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

// Short values (numbers, dates: up to eight characters) looked at eight
// bytes at a time, the way a whole-file check needs for millions of them.
class ShortValue {
public:
    explicit ShortValue(std::string_view value)
        : bytes_(load(value.data(), value.size()))
        , size_(value.size()) {}
    bool fits() const { return size_ <= 8; }
    // Every character a blank (also for no character at all).
    bool blank() const { return (bytes_ & mask()) == (kSpaces & mask()); }
    // One character at least, every one a digit.
    bool digits() const {
        const std::uint64_t x = bytes_ & mask();
        return size_ > 0 && (x & (kHighNibbles & mask())) == (kDigitHigh & mask()) &&
               (((x & kLowNibbles) + kSix) & kHighNibbles & mask()) == 0;
    }
    // Digit i (the caller knows digits() holds).
    unsigned digit(std::size_t i) const { return unsigned(bytes_ >> (8 * i)) & 0x0F; }

private:
    static constexpr std::uint64_t kSpaces = 0x2020202020202020ULL;
    static constexpr std::uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0ULL;
    static constexpr std::uint64_t kLowNibbles = 0x0F0F0F0F0F0F0F0FULL;
    static constexpr std::uint64_t kDigitHigh = 0x3030303030303030ULL;
    static constexpr std::uint64_t kSix = 0x0606060606060606ULL;
    std::uint64_t mask() const { return size_ >= 8 ? ~0ULL : (1ULL << (8 * size_)) - 1; }
    // The first (up to) eight characters, in fixed-size loads only: two
    // overlapping halves for four to seven.
    static std::uint64_t load(const char* p, std::size_t n) {
        if (n >= 8) {
            std::uint64_t x;
            std::memcpy(&x, p, 8);
            return x;
        }
        if (n >= 4) {
            std::uint32_t low, high;
            std::memcpy(&low, p, 4);
            std::memcpy(&high, p + n - 4, 4);
            return std::uint64_t(low) | (std::uint64_t(high) << (8 * (n - 4)));
        }
        std::uint64_t x = 0;
        for (std::size_t i = 0; i < n; ++i)
            x |= std::uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
        return x;
    }

    std::uint64_t bytes_; // little-endian: character i in byte i
    std::size_t size_;
};

// True when value passes the checks. Inline: a whole-file check runs it for
// millions of values.
inline bool checkFieldValue(const FieldChecks& checks, std::string_view value) {
    if (checks.numeric) {
        const ShortValue v(value);
        if (v.fits()) {
            // Amounts and counts are mostly zero-filled digits, or blank.
            if (v.digits())
                return true;
            if (v.blank())
                return !checks.required;
        }
        const std::string_view trimmed = trimSpaces(value);
        if (trimmed.empty())
            return !checks.required;
        return isNumberText(trimmed);
    }
    if (checks.date)
        return checkDateValue(value, checks.required);
    // Text, required or not: a required value must not be blank.
    if (!checks.required || (!value.empty() && value.front() != ' '))
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
