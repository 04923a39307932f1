#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Removes leading and trailing blanks (spaces only; tabs stay).
inline std::string_view trimSpaces(std::string_view text) {
    // A field's padding runs long: eight bytes at a time, the first and last
    // that are no blanks found by where they stand in their word (the bytes
    // of a word in memory order from its lowest).
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    constexpr std::uint64_t kSevens = 0x7F7F7F7F7F7F7F7FULL;
    const char* const p = text.data();
    auto marks = [p](std::size_t at) {
        std::uint64_t word;
        std::memcpy(&word, p + at, sizeof word);
        const std::uint64_t x = word ^ 0x2020202020202020ULL; // blanks: zero bytes
        return (((x & kSevens) + kSevens) | x) & ~kSevens;    // a high bit for each other byte
    };
    std::size_t b = 0, e = text.size();
    for (;; b += 8) {
        if (e - b < 8) {
            while (b < e && p[b] == ' ')
                ++b;
            break;
        }
        if (const std::uint64_t m = marks(b)) {
            b += std::size_t(__builtin_ctzll(m)) / 8;
            break;
        }
    }
    for (;; e -= 8) {
        if (e - b < 8) {
            while (e > b && p[e - 1] == ' ')
                --e;
            break;
        }
        if (const std::uint64_t m = marks(e - 8)) {
            e -= 7 - std::size_t(63 - __builtin_clzll(m)) / 8;
            break;
        }
    }
    return std::string_view(p + b, e - b);
}

// Characters [start-1, start-1+length) of text, clipped to the text (1-based start).
inline std::string_view columns(std::string_view text, std::int64_t start, std::int64_t length) {
    if (start < 1 || length <= 0 || static_cast<std::uint64_t>(start) > text.size())
        return {};
    const std::size_t from = static_cast<std::size_t>(start - 1);
    const std::size_t room = text.size() - from;
    const std::size_t n = static_cast<std::size_t>(length);
    return std::string_view(text.data() + from, n < room ? n : room);
}
// A whole decimal number in [min, max] with an optional sign, surrounding blanks allowed.
std::optional<std::int64_t> parseSignedInteger(std::string_view text, std::int64_t min,
                                               std::int64_t max);
inline std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t min,
                                                std::int64_t max) {
    // Amounts and counts are mostly plain digits, zero-filled: read them at once.
    if (!text.empty() && text.size() <= 18) {
        std::int64_t value = 0;
        for (const char c : text) {
            if (c < '0' || c > '9')
                return parseSignedInteger(text, min, max);
            value = value * 10 + (c - '0');
        }
        if (value < min || value > max)
            return std::nullopt;
        return value;
    }
    return parseSignedInteger(text, min, max);
}

} // namespace qm
