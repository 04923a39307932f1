#pragma once

#include "core/compare/Difference.h"

#include <string>

// One row of the comparison window: a difference without its fields, which
// the side-by-side view reads again, and how many fields differ.
struct CompareRow {
    qm::CompareUnit unit = qm::CompareUnit::Claim;
    qm::DifferenceKind kind = qm::DifferenceKind::Changed;
    qm::UnitPlace a, b;
    std::string name;
    std::string number;
    int fields = 0;
};
