#include "core/check/RuleCatalogue.h"

#include <algorithm>

namespace qm {

namespace {

// In the order of RuleCatalogue::Edit.
constexpr std::string_view kEditNames[RuleCatalogue::kEditCount] = {"",
                                                                    "control-number",
                                                                    "sequence-numbers",
                                                                    "calendar-dates",
                                                                    "service-after-creation",
                                                                    "listed-codes"};

} // namespace

std::string_view RuleCatalogue::editName(Edit edit) {
    return kEditNames[std::size_t(edit)];
}

std::optional<RuleCatalogue::Edit> RuleCatalogue::editNamed(std::string_view name) {
    for (int e = 1; e < kEditCount; ++e)
        if (kEditNames[std::size_t(e)] == name)
            return Edit(e);
    return std::nullopt;
}

void RuleCatalogue::packValue(std::string& packed, const std::string_view* value) {
    if (!value) {
        packed += char(kNone);
        return;
    }
    const std::size_t length = std::min(value->size(), kLongestValue);
    packed += char(length);
    packed.append(value->data(), length);
}

std::optional<std::string_view> RuleCatalogue::unpackValue(std::string_view packed,
                                                           std::size_t& at) {
    if (at >= packed.size())
        return std::nullopt;
    const auto length = static_cast<unsigned char>(packed[at++]);
    if (length == kNone)
        return std::nullopt;
    const std::string_view value = packed.substr(at, length);
    at += value.size();
    return value;
}

} // namespace qm
