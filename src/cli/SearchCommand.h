#pragma once

#include "core/search/SearchQuery.h"

#include <ostream>

namespace qm::cli {

class ClaimFile;

// `search FILE TEXT`: every claim, in tree order, with the fields of its
// claim form whose values match, from one pass over the file; then a summary.
class SearchCommand {
public:
    // 0 when a field matched, 1 when none did, 2 when the query cannot run
    // on this file's map (the reason goes to err).
    static int run(ClaimFile& file, const SearchQuery& query, bool json, int jobs,
                   std::ostream& out, std::ostream& err);
};

} // namespace qm::cli
