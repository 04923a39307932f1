#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

// Texts of the engine as a printout shows them.
class PrintText {
public:
    // File bytes by the file text rule (every byte one character).
    static QString fromFile(std::string_view bytes);
    // UTF-8 as the engine words things.
    static QString fromUtf8(std::string_view text);
    // "1,234,567".
    static QString number(std::int64_t n);
};
