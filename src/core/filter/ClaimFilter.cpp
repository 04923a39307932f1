#include "core/filter/ClaimFilter.h"

#include "core/filter/FilterParser.h"

namespace qm {

bool ClaimFilter::compile(std::string_view expression, const LayoutCatalogue& layouts,
                          ClaimFilter& filter, FilterError& error) {
    auto program = std::make_shared<FilterProgram>();
    if (!FilterParser(layouts).parse(expression, *program, error))
        return false;
    filter.expression_ = std::string(expression);
    filter.program_ = std::move(program);
    return true;
}

} // namespace qm
