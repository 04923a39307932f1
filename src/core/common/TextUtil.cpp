#include "core/common/TextUtil.h"

namespace qm {

std::string_view trimSpaces(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    return text.substr(b, e - b);
}

std::string_view columns(std::string_view text, std::int64_t start, std::int64_t length) {
    if (start < 1 || length <= 0 || static_cast<std::uint64_t>(start) > text.size())
        return {};
    std::size_t from = static_cast<std::size_t>(start - 1);
    return text.substr(from, static_cast<std::size_t>(length));
}

std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t min,
                                         std::int64_t max) {
    text = trimSpaces(text);
    if (text.empty())
        return std::nullopt;
    bool negative = false;
    std::size_t i = 0;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate as a negative number so that the most negative value fits.
    const std::int64_t limit = negative ? min : -max;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        int digit = c - '0';
        if (value < (limit + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
        if (value < limit)
            return std::nullopt;
    }
    return negative ? value : -value;
}

} // namespace qm
