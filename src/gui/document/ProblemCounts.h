#pragma once

#include "gui/document/ProblemKind.h"

#include <array>
#include <cstdint>

// Claims with problems by the kind of problem (a claim counts once for each
// kind it has), and in all: of a file header or batch, or of the file.
struct ProblemCounts {
    std::int64_t claims = 0;
    std::array<std::int64_t, kProblemKindCount> byKind{};

    // The most serious kind counted; only when claims > 0.
    ProblemKind worst() const {
        for (int kind = 0; kind < kProblemKindCount; ++kind)
            if (byKind[std::size_t(kind)])
                return ProblemKind(kind);
        return ProblemKind::NoXa0;
    }
};
