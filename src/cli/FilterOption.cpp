#include "FilterOption.h"

#include "ClaimFile.h"
#include "core/common/FileText.h"

namespace qm::cli {

std::optional<ClaimFilter> FilterOption::compile(const ClaimFile& file,
                                                 const std::string& expression, std::ostream& err) {
    ClaimFilter filter;
    FilterError error;
    if (ClaimFilter::compile(expression, *file.layouts(), filter, error))
        return filter;
    // The expression on a line of its own, and a caret under the column.
    const std::string shown = FileText::toPrintable(FileText::pathToUtf8(expression));
    err << "quillmark-cli: --filter: " << error.message() << '\n'
        << "  " << shown << '\n'
        << std::string(error.column + 1, ' ') << "^\n";
    return std::nullopt;
}

} // namespace qm::cli
