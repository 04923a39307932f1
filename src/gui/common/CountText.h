#pragma once

#include <QString>
#include <cstdint>

// Counts as every window writes them: digits grouped by thousands whatever
// the desktop's language ("3,301,455", as money is written), and the noun
// in the count's number ("1 claim", "2 claims").
class CountText {
public:
    static QString number(std::int64_t count);
    // "1 claim", "3,301,455 claims".
    static QString of(std::int64_t count, const char* one, const char* many);
};
