#pragma once

#include <cstdint>

namespace qm {

// Counts of a claim's lines by the first letter of their type, and the sums of
// the amount fields that the claim trailer restates, in 64 bits.
struct ClaimTotals {
    std::int64_t CountC = 0;
    std::int64_t CountD = 0;
    std::int64_t CountE = 0;
    std::int64_t CountF = 0;
    std::int64_t CountG = 0;
    std::int64_t CountH = 0;
    std::int64_t SumFA0_13 = 0;
    std::int64_t SumFA0_27 = 0;
    std::int64_t SumFA0_28 = 0;
    std::int64_t SumFB0_05 = 0;
    std::int64_t SumFB0_06 = 0;
    std::int64_t SumFB0_07 = 0;
    std::int64_t SumFB0_08 = 0;
    std::int64_t SumDA1_14 = 0;
    // The members that could not be added up (a sum beyond 64 bits, or an
    // amount beyond them), a bit each (totalsBit in TotalsCheck.h): their
    // figures mean nothing.
    std::uint16_t tooLarge = 0;
};

} // namespace qm
