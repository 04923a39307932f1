#pragma once

#include <cstdint>

namespace qm {

// Counts of a claim's lines by the first letter of their type, and the sums of
// the amount fields that the claim trailer restates.
struct ClaimTotals {
    std::int32_t CountC = 0;
    std::int32_t CountD = 0;
    std::int32_t CountE = 0;
    std::int32_t CountF = 0;
    std::int32_t CountG = 0;
    std::int32_t CountH = 0;
    std::int32_t SumFA0_13 = 0;
    std::int32_t SumFA0_27 = 0;
    std::int32_t SumFA0_28 = 0;
    std::int32_t SumFB0_05 = 0;
    std::int32_t SumFB0_06 = 0;
    std::int32_t SumFB0_07 = 0;
    std::int32_t SumFB0_08 = 0;
    std::int32_t SumDA1_14 = 0;
};

} // namespace qm
