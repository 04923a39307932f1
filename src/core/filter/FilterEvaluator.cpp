#include "core/filter/FilterEvaluator.h"

#include "core/check/ClaimVisitor.h"
#include "core/common/TextUtil.h"
#include "core/filetree/FileTree.h"
#include "core/filter/FilterLiterals.h"
#include "core/layouts/LayoutCatalogue.h"

#include <algorithm>

namespace qm {

using Source = FilterProgram::Source;
using How = FilterProgram::How;

FilterEvaluator::FilterEvaluator(const ClaimFilter& filter, const LayoutCatalogue& layouts)
    : layouts_(layouts)
    , ba0_(recordTypeIndex("BA0"))
    , program_(filter.program())
    , states_(program_.tests.size())
    , verdicts_(program_.tests.size())
    , stack_(program_.stackDepth + 1) {
    std::size_t scopeTests = 0;
    for (const FilterProgram::Scope& scope : program_.scopes)
        scopeTests = std::max(scopeTests, scope.tests.size());
    scopeHits_.resize(scopeTests);
    for (std::size_t i = 0; i < program_.tests.size(); ++i) {
        const FilterProgram::Test& test = program_.tests[i];
        const bool fed = test.source == Source::Field || test.source == Source::Sum ||
                         test.source == Source::Any || test.source == Source::All;
        if (test.source == Source::Count)
            typesCounted_ |= 1u << unsigned(test.field.type);
        if (!fed || test.field.type < 0)
            continue;
        byType_[std::size_t(test.field.type)].push_back(int(i));
        typesUsed_ |= 1u << unsigned(test.field.type);
    }
}

void FilterEvaluator::reset() {
    std::fill(states_.begin(), states_.end(), State());
    counts_.fill(0);
    nodes_ = 0;
}

void FilterEvaluator::restart(int typeIndex) {
    for (const int test : byType_[std::size_t(typeIndex)])
        states_[std::size_t(test)] = State();
}

void FilterEvaluator::record(std::size_t node, int typeIndex, int occurrence,
                             std::string_view line) {
    if (node < nodes_)
        restart(typeIndex);
    else
        nodes_ = node + 1;
    int& count = counts_[std::size_t(typeIndex)];
    count = std::max(count, occurrence);
    if (typesUsed_ >> unsigned(typeIndex) & 1u)
        for (const int test : byType_[std::size_t(typeIndex)])
            apply(test, line);
}

void FilterEvaluator::apply(int index, std::string_view line) {
    const FilterProgram::Test& test = program_.tests[std::size_t(index)];
    State& state = states_[std::size_t(index)];
    switch (test.source) {
    case Source::Field:
        state.hit = state.hit || passes(test.field, line);
        break;
    case Source::Sum: {
        // What does not read as a number adds nothing, as in the trailer's sums.
        const std::string_view value = layouts_.at(test.field.type).value(test.field.field, line);
        const auto n = FilterLiterals::valueOf(trimSpaces(value), false);
        if (n && !state.overflow)
            state.overflow = __builtin_add_overflow(state.sum, *n, &state.sum);
        break;
    }
    case Source::Any:
        state.hit = state.hit || scopePasses(program_.scopes[std::size_t(test.scope)], line);
        break;
    case Source::All:
        // hit: a record was seen; all: every one passed.
        state.all = state.all && scopePasses(program_.scopes[std::size_t(test.scope)], line);
        state.hit = true;
        break;
    default:
        break;
    }
}

bool FilterEvaluator::passes(const FilterProgram::FieldTest& test, std::string_view line) const {
    return valuePasses(test, layouts_.at(test.type).value(test.field, line));
}

bool FilterEvaluator::numberPasses(const FilterProgram::FieldTest& test, std::int64_t n) {
    bool in = false;
    for (const FilterProgram::Range& range : test.ranges)
        in = in || (n >= range.low && n <= range.high);
    return in != test.negate;
}

bool FilterEvaluator::valuePasses(const FilterProgram::FieldTest& test, std::string_view value) {
    const std::string_view trimmed = trimSpaces(value);
    const bool blank = FilterLiterals::isBlank(value, trimmed, test.date);
    switch (test.how) {
    case How::Exists:
        return !blank;
    case How::Blank:
        return blank;
    case How::Numbers: {
        const auto n = blank ? std::nullopt : FilterLiterals::valueOf(trimmed, test.date);
        return n ? numberPasses(test, *n) : test.negate;
    }
    case How::Texts:
        break;
    }
    if (blank)
        return test.negate;
    bool found = false;
    std::size_t start = 0, length = 0;
    for (const ValueMatcher& text : test.texts)
        found = found || text.matches(value, start, length);
    return found != test.negate;
}

bool FilterEvaluator::scopePasses(const FilterProgram::Scope& scope, std::string_view line) {
    for (std::size_t i = 0; i < scope.tests.size(); ++i)
        scopeHits_[i] = passes(scope.tests[i], line);
    return run(scope.steps, scopeHits_.data());
}

bool FilterEvaluator::run(const std::vector<FilterProgram::Step>& steps, const char* verdicts) {
    return FilterProgram::run(steps, verdicts, stack_.data());
}

bool FilterEvaluator::verdict(const FilterProgram::Test& test, const State& state,
                              const PassClaim& claim, std::uint32_t problemKinds) const {
    switch (test.source) {
    case Source::Field:
    case Source::Any:
        return state.hit;
    case Source::All:
        return state.hit && state.all;
    case Source::Count:
        return numberPasses(test.field, counts_[std::size_t(test.field.type)]);
    case Source::Sum:
        return state.overflow ? test.field.negate : numberPasses(test.field, state.sum);
    case Source::Problem:
        return ((problemKinds & test.kinds) != 0) != test.negate;
    case Source::Claim:
    case Source::Batch:
        break;
    }
    char key[FileTree::kKeyRoom];
    const char* end = key;
    if (test.source == Source::Claim) {
        end = FileTree::writeKey(key, "CA0", claim.position);
    } else {
        for (const SharedRecord& shown : *claim.above)
            if (shown.typeIndex == ba0_)
                end = FileTree::writeKey(key, "BA0", shown.at);
    }
    return valuePasses(test.field, std::string_view(key, std::size_t(end - key)));
}

bool FilterEvaluator::finish(const PassClaim& claim, std::uint32_t problemKinds) {
    // The records a click shows with the claim: those above it come first,
    // so a record of the claim's own of the same type has taken their place;
    // those below come last and take the place of any of the claim's own.
    const std::uint32_t needed = typesUsed_ | typesCounted_;
    for (const SharedRecord& shown : *claim.above)
        if ((needed >> unsigned(shown.typeIndex) & 1u) &&
            counts_[std::size_t(shown.typeIndex)] == 0)
            record(nodes_, shown.typeIndex, 1, shown.line);
    for (const SharedRecord& shown : *claim.below) {
        if (!(needed >> unsigned(shown.typeIndex) & 1u))
            continue;
        if (counts_[std::size_t(shown.typeIndex)] > 0)
            restart(shown.typeIndex);
        record(nodes_, shown.typeIndex, 1, shown.line);
    }
    for (std::size_t i = 0; i < program_.tests.size(); ++i)
        verdicts_[i] = verdict(program_.tests[i], states_[i], claim, problemKinds);
    const bool matched = run(program_.steps, verdicts_.data());
    reset();
    return matched;
}

} // namespace qm
