#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Removes leading and trailing blanks (spaces only; tabs stay).
inline std::string_view trimSpaces(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    return std::string_view(text.data() + b, e - b);
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
