#include "core/search/CaseFold.h"

namespace qm {

namespace {

// Pairs outside the two alphabets: Š š, Œ œ, Ž ž, Ÿ ÿ, ƒ's capital.
constexpr char32_t kPairs[][2] = {
    {0x160, 0x161}, {0x152, 0x153}, {0x17D, 0x17E}, {0x178, 0xFF}, {0x191, 0x192}};

} // namespace

char32_t CaseFold::upper(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 0x20;
    for (const auto& pair : kPairs)
        if (c == pair[1])
            return pair[0];
    return c;
}

char32_t CaseFold::lower(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 0x20;
    for (const auto& pair : kPairs)
        if (c == pair[0])
            return pair[1];
    return c;
}

} // namespace qm
