#pragma once

#include "gui/problems/ProblemList.h"

#include <QString>

namespace qm {
class LayoutCatalogue;
}

// The words for problems: kind names, a line for each problem (the engine's
// words, as the command line gives them), and the tooltips of marked nodes.
// Field numbers and names come from the layouts the file was checked with
// (nullptr: none known).
class ProblemText {
public:
    // "Totals do not compute", "Invalid value", ...
    static QString kindName(ProblemKind kind);
    // The field's number ("12.0") and name, as the map gives them.
    static QString fieldId(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                           const ProblemList::Item& item);
    static QString fieldName(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                             const ProblemList::Item& item);
    // What a totals check expected, in the width of what the XA0 states
    // ("0015752" beside "0015751"); empty for other kinds.
    static QString expected(const ProblemList& list, const ProblemList::Item& item);
    // One problem in a line: "Totals do not compute: 12.0 TOTAL CLAIM CHARGES —
    // XA0 0015751, lines add up to 0015752".
    static QString line(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                        const ProblemList::Item& item);
    // A claim's problems, a line each (the first several of a long list).
    static QString claimToolTip(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                                std::int64_t claim);
    // How many claims with problems a file header or batch holds, by kind.
    static QString containerToolTip(const ProblemList::Counts& counts);
};
