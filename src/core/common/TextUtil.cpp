#include "core/common/TextUtil.h"

#include <algorithm>

namespace qm {

std::optional<std::int64_t> parseSignedInteger(std::string_view text, std::int64_t min,
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
    // Accumulate as a negative number so that the most negative value fits;
    // the bound is checked before each step, without a division per digit.
    const std::int64_t limit = std::min<std::int64_t>(negative ? min : -max, 0);
    const std::int64_t cutoff = limit / 10;
    const int lastDigit = int(-(limit % 10));
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value < cutoff || (value == cutoff && digit > lastDigit))
            return std::nullopt;
        value = value * 10 - digit;
    }
    const std::int64_t result = negative ? value : -value;
    if (result < min || result > max)
        return std::nullopt;
    return result;
}

} // namespace qm
