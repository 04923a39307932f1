#pragma once

#include <string>
#include <string_view>

namespace qm {

// Record types, keywords and codes in another case, ASCII letters only: the
// bytes of a file's other characters are not letters of any one alphabet.
inline std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return out;
}

inline std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

} // namespace qm
