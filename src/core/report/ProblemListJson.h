#pragma once

#include "core/layouts/LayoutCatalogue.h"
#include "core/report/ProblemSpool.h"

#include <ostream>

namespace qm {

class RuleCatalogue;

// The check's flat list of problem rows in JSON, after its "[": every row
// kept, one object a line, and the "]". Ten million rows are written after
// the check has finished, when its threads are idle, so with more than one
// job they are read back in slices, each slice put into words by one of as
// many threads, and the slices written in order.
class ProblemListJson {
public:
    // jobs: threads to put rows into words, 0 for one per core (never more
    // than there are cores).
    ProblemListJson(const LayoutCatalogue* layouts, const RuleCatalogue* rules, int jobs);

    // False when the rows could not be read back.
    bool write(ProblemSpool& rows, std::ostream& out) const;

private:
    bool writeInOrder(ProblemSpool& rows, std::ostream& out) const;
    bool writeInSlices(ProblemSpool& rows, std::ostream& out) const;

    const LayoutCatalogue* layouts_;
    const RuleCatalogue* rules_;
    unsigned threads_;
};

} // namespace qm
