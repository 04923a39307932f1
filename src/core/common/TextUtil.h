#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Removes leading and trailing blanks (spaces only; tabs stay).
std::string_view trimSpaces(std::string_view text);
// Characters [start-1, start-1+length) of text, clipped to the text (1-based start).
std::string_view columns(std::string_view text, std::int64_t start, std::int64_t length);
// A whole decimal number in [min, max] with an optional sign, surrounding blanks allowed.
std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t min, std::int64_t max);

} // namespace qm
