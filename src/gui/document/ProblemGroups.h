#pragma once

#include "core/check/Problem.h"

#include <array>
#include <cstdint>
#include <vector>

// A check's rows counted as the Rules view and Tools > Rules show them: by
// kind, and a rule's rows by their rule, each with how many rows and how
// many claims. Rows are counted as they arrive, in file order.
class ProblemGroups {
public:
    struct Count {
        std::int64_t rows = 0;
        std::int64_t claims = 0;
        std::int64_t lastClaim = -1;
    };

    void clear();
    void add(const qm::Problem& problem);
    // The rows of a kind (of Kind::Rule: of every rule).
    const Count& kind(qm::Problem::Kind kind) const { return kinds_[std::size_t(kind)]; }
    // The rows of the rule of this index; none for a rule that failed nowhere.
    Count rule(std::int32_t index) const;
    // The rules that failed somewhere, by index.
    std::vector<std::int32_t> failedRules() const;

private:
    std::array<Count, qm::Problem::kKindCount> kinds_{};
    std::vector<Count> rules_; // by rule index
};
