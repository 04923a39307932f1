#pragma once

#include "core/filter/ClaimFilter.h"

#include <optional>
#include <ostream>
#include <string>

namespace qm::cli {

class ClaimFile;

// --filter EXPR of list, tree and check: the expression compiled against the
// open file's map.
class FilterOption {
public:
    // The filter; nullopt, with the message, the expression and a mark under
    // the column on err, when it is no filter over the file's map.
    static std::optional<ClaimFilter> compile(const ClaimFile& file, const std::string& expression,
                                              std::ostream& err);
};

} // namespace qm::cli
