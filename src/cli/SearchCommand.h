#pragma once

#include "core/search/SearchQuery.h"

#include <cstdint>
#include <ostream>

namespace qm::cli {

class ClaimFile;

// `search FILE TEXT`: every claim, in tree order, with the fields of its
// claim form whose values match, from one pass over the file; then a summary.
class SearchCommand {
public:
    // 0 when a field matched, 1 when none did, 2 when the query cannot run
    // on this file's map (the reason goes to err). maxHits: stop after the
    // claim whose fields bring the matches to it; 0 for no limit.
    static int run(ClaimFile& file, const SearchQuery& query, bool json, int jobs,
                   std::int64_t maxHits, std::ostream& out, std::ostream& err);
};

} // namespace qm::cli
