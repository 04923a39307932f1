#pragma once

#include <cstdint>
#include <string>

namespace qm {

// Amounts in cents as people read money.
class MoneyText {
public:
    // "$1,234.56", "-$0.05".
    static std::string format(std::int64_t cents);
};

} // namespace qm
