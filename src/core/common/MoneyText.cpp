#include "core/common/MoneyText.h"

namespace qm {

std::string MoneyText::format(std::int64_t cents) {
    // Unsigned, so that the most negative amount has a magnitude too.
    const std::uint64_t magnitude =
        cents < 0 ? std::uint64_t(0) - std::uint64_t(cents) : std::uint64_t(cents);
    const std::string digits = std::to_string(magnitude / 100);
    std::string text = cents < 0 ? "-$" : "$";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    const auto fraction = unsigned(magnitude % 100);
    text += '.';
    text += char('0' + fraction / 10);
    text += char('0' + fraction % 10);
    return text;
}

} // namespace qm
