#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Removes leading and trailing blanks (spaces only; tabs stay).
inline std::string_view trimSpaces(std::string_view text) {
    // A field's padding runs long: eight blanks at a time first.
    constexpr std::uint64_t kEightBlanks = 0x2020202020202020ULL;
    const char* const p = text.data();
    auto eightBlanks = [p](std::size_t at) {
        std::uint64_t word;
        std::memcpy(&word, p + at, sizeof word);
        return word == kEightBlanks;
    };
    std::size_t b = 0, e = text.size();
    while (e - b >= 8 && eightBlanks(b))
        b += 8;
    while (b < e && p[b] == ' ')
        ++b;
    while (e - b >= 8 && eightBlanks(e - 8))
        e -= 8;
    while (e > b && p[e - 1] == ' ')
        --e;
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
