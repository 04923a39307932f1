#pragma once

#include "core/check/Problem.h"

#include <cstdint>

// The marks a problem can make, the most serious first: a node's mark is
// that of its most serious problem. A claim's five kinds are the engine's,
// by the same numbers; each kind of a batch or the file marks as the claim
// kind it is most like. A rule's row marks by its severity, after the
// format's own faults: a payer's edit weighs less than totals that do not add up.
enum class ProblemKind : std::uint8_t {
    TotalsDoNotCompute, // totals, or a trailer's counts and amounts, that do not add up
    Unreadable,         // could not be read: the file changed, or reads as one line
    InvalidValue,       // a value that fails its check, or a file out of shape
    CouldNotCheck,      // fields the check compares are missing or cannot be cut
    NoXa0,              // no XA0 of its own: nothing was compared
    RuleError,          // a rule of severity error failed
    RuleWarning,        // ... of severity warning
    RuleNote,           // ... of severity note
};
constexpr int kProblemKindCount = 8;
static_assert(int(ProblemKind::TotalsDoNotCompute) == int(qm::Problem::Kind::TotalsDoNotCompute) &&
                  int(ProblemKind::Unreadable) == int(qm::Problem::Kind::Unreadable) &&
                  int(ProblemKind::InvalidValue) == int(qm::Problem::Kind::InvalidValue) &&
                  int(ProblemKind::CouldNotCheck) == int(qm::Problem::Kind::CouldNotCheck) &&
                  int(ProblemKind::NoXa0) == int(qm::Problem::Kind::NoXa0),
              "a claim's kinds are the engine's");

// The mark of a kind of problem.
constexpr ProblemKind markOf(qm::Problem::Kind kind) {
    switch (kind) {
    case qm::Problem::Kind::TotalsDoNotCompute:
    case qm::Problem::Kind::TrailerDoesNotBalance:
        return ProblemKind::TotalsDoNotCompute;
    case qm::Problem::Kind::Unreadable:
    case qm::Problem::Kind::LfOnlyLineEnds:
    case qm::Problem::Kind::FileChanged:
        return ProblemKind::Unreadable;
    case qm::Problem::Kind::CouldNotCheck:
    case qm::Problem::Kind::TrailerCouldNotCheck:
        return ProblemKind::CouldNotCheck;
    case qm::Problem::Kind::NoXa0:
        return ProblemKind::NoXa0;
    default:
        return ProblemKind::InvalidValue;
    }
}

// The mark of a row: its kind's, or for a rule's row its severity's.
constexpr ProblemKind markOf(const qm::Problem& problem) {
    if (problem.kind != qm::Problem::Kind::Rule)
        return markOf(problem.kind);
    switch (problem.ruleSeverity) {
    case qm::Problem::Severity::Error:
        return ProblemKind::RuleError;
    case qm::Problem::Severity::Warning:
        return ProblemKind::RuleWarning;
    case qm::Problem::Severity::Note:
        break;
    }
    return ProblemKind::RuleNote;
}
