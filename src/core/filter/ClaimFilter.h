#pragma once

#include "core/filter/FilterError.h"
#include "core/filter/FilterProgram.h"

#include <memory>
#include <string>
#include <string_view>

namespace qm {

class LayoutCatalogue;

// A claim filter: one expression over a claim's records and fields, its
// whole-file check problems and its keys, compiled once against the layouts
// of the file it filters, and then shared read-only by every thread that
// evaluates it (each through a FilterEvaluator of its own).
//
//   XA0.12.0 > 500.00 && FA0.05.0 in 2003-03 && problem
//
// A test on a record that repeats (FA0) passes when any occurrence passes
// it, each test on its own; any(FA0: ...) asks one occurrence to pass
// several, all(...) every occurrence. A blank value, or one that does not
// read as its field's kind, passes no test but !=.
class ClaimFilter {
public:
    // False, with error, when expression is no filter over these layouts
    // (its syntax, or a field the map does not have).
    static bool compile(std::string_view expression, const LayoutCatalogue& layouts,
                        ClaimFilter& filter, FilterError& error);

    const std::string& expression() const { return expression_; }
    const FilterProgram& program() const { return *program_; }

private:
    std::string expression_;
    std::shared_ptr<const FilterProgram> program_ = std::make_shared<FilterProgram>();
};

} // namespace qm
