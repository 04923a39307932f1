#include "core/rules/RuleConditions.h"

#include "core/check/ClaimVisitor.h"
#include "core/common/TextUtil.h"
#include "core/filetree/FileTree.h"
#include "core/filter/FilterLiterals.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/rules/IntegrityEdits.h"
#include "core/rules/RuleSet.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace qm {

using Source = FilterProgram::Source;
using How = FilterProgram::How;

namespace {

// Two tests that give the same verdict on every value. Texts are never
// taken for each other: a matcher cannot be compared.
bool sameTest(const FilterProgram::FieldTest& a, const FilterProgram::FieldTest& b) {
    if (a.type != b.type || a.field != b.field || a.how != b.how || a.date != b.date ||
        a.negate != b.negate || a.ranges.size() != b.ranges.size() || !a.texts.empty() ||
        !b.texts.empty())
        return false;
    for (std::size_t i = 0; i < a.ranges.size(); ++i)
        if (a.ranges[i].low != b.ranges[i].low || a.ranges[i].high != b.ranges[i].high)
            return false;
    return true;
}

} // namespace

RuleConditions::RuleConditions(const RuleSet& set, const LayoutCatalogue& layouts)
    : layouts_(layouts)
    , ba0_(recordTypeIndex("BA0")) {
    std::size_t depth = 0;
    for (std::size_t i = 0; i < set.rules().size(); ++i) {
        const RuleCatalogue::Rule& rule = set.rules()[i];
        if (rule.edit != RuleCatalogue::Edit::Condition)
            continue;
        const FilterProgram& program = set.condition(i).program();
        depth = std::max(depth, program.stackDepth);
        if (rule.recordType < 0) {
            addClaimRule(std::int32_t(i), program);
        } else if (!program.scopes.empty() && program.scopes.front().type >= 0) {
            // A rule on records is any(RT: ...): its scope, asked of each record.
            const FilterProgram::Scope& scope = program.scopes.front();
            recordRulesOf_[std::size_t(scope.type)].push_back({std::int32_t(i), addScope(scope)});
            anyRecordRule_ = true;
        }
    }
    for (TypeTests& tests : testsOf_) {
        formRuns(tests.spans);
        formRuns(tests.keys);
    }
    testedAt_.fill(-1);
    values_.resize(reads_.size());
    verdicts_.resize(tests_.size());
    states_.resize(claimTests_.size());
    claimVerdicts_.resize(claimTests_.size());
    stack_.resize(depth + 1);
}

void RuleConditions::addClaimRule(std::int32_t rule, const FilterProgram& program) {
    std::vector<int> bound; // by the program's test: in claimTests_
    for (const FilterProgram::Test& test : program.tests) {
        ClaimTest claimTest;
        claimTest.source = test.source;
        claimTest.field = test.field;
        claimTest.kinds = test.kinds;
        claimTest.negate = test.negate;
        const int type = test.field.type;
        if (test.source == Source::Count && type >= 0)
            typesFed_ |= 1u << unsigned(type);
        const bool fed = test.source == Source::Field || test.source == Source::Sum ||
                         test.source == Source::Any || test.source == Source::All;
        if (fed && type >= 0) {
            if (test.source == Source::Field) {
                claimTest.test = addTest(test.field);
                // Rules that ask the same of a field share its verdict.
                const auto same = std::find_if(
                    claimTests_.begin(), claimTests_.end(), [&](const ClaimTest& other) {
                        return other.source == Source::Field && other.test == claimTest.test;
                    });
                if (same != claimTests_.end()) {
                    bound.push_back(int(same - claimTests_.begin()));
                    continue;
                }
            } else if (test.source == Source::Sum) {
                claimTest.read = addRead(type, test.field.field, true, false);
            } else {
                claimTest.scope = addScope(program.scopes[std::size_t(test.scope)]);
            }
            claimTestsOf_[std::size_t(type)].push_back(int(claimTests_.size()));
            typesFed_ |= 1u << unsigned(type);
        }
        bound.push_back(int(claimTests_.size()));
        claimTests_.push_back(std::move(claimTest));
    }
    std::vector<Step> steps = program.steps;
    for (Step& step : steps)
        if (step.op == FilterProgram::Op::Test)
            step.test = bound[std::size_t(step.test)];
    claimRules_.push_back({rule, programOf(std::move(steps))});
}

int RuleConditions::addRead(int type, int field, bool number, bool date) {
    auto found = std::find_if(reads_.begin(), reads_.end(), [&](const Read& read) {
        return read.type == type && read.field == field;
    });
    if (found == reads_.end()) {
        const FieldDef& def = layouts_.at(type).field(field);
        Read read;
        read.type = type;
        read.field = field;
        read.start = def.StartPos;
        read.length = def.Length;
        readsOf_[std::size_t(type)].push_back(int(reads_.size()));
        typesRead_ |= 1u << unsigned(type);
        found = reads_.insert(reads_.end(), read);
    }
    if (number && date)
        found->date = true;
    else if (number)
        found->plain = true;
    return int(found - reads_.begin());
}

int RuleConditions::addTest(const FieldTest& test) {
    const int read = addRead(test.type, test.field, test.how == How::Numbers, test.date);
    for (std::size_t i = 0; i < tests_.size(); ++i)
        if (sameTest(tests_[i].field, test))
            return int(i);
    Test added{test, read, {}, {}};
    for (const ValueMatcher& text : test.texts)
        if (const std::string* exact = text.exactText())
            added.exact.push_back(*exact);
    if (added.exact.size() != test.texts.size())
        added.exact.clear();
    for (const std::string& text : added.exact)
        added.keys.push_back(IntegrityEdits::shortKey(text));
    if (std::find(added.keys.begin(), added.keys.end(), 0) != added.keys.end())
        added.keys.clear();
    if (!added.keys.empty())
        reads_[std::size_t(read)].keyed = true;
    tests_.push_back(std::move(added));
    addQuick(tests_.back(), int(tests_.size() - 1));
    return int(tests_.size() - 1);
}

template <typename T> void RuleConditions::formRuns(std::vector<T>& tests) {
    std::stable_sort(tests.begin(), tests.end(), [](const T& a, const T& b) {
        return a.read != b.read ? a.read < b.read : a.date < b.date;
    });
    for (std::size_t i = tests.size(); i-- > 0;) {
        const bool last = i + 1 == tests.size() || tests[i + 1].read != tests[i].read ||
                          tests[i + 1].date != tests[i].date;
        tests[i].end = last ? std::uint32_t(i + 1) : tests[i + 1].end;
    }
}

void RuleConditions::addQuick(const Test& test, int index) {
    const FieldTest& field = test.field;
    TypeTests& tests = testsOf_[std::size_t(field.type)];
    if (field.how == How::Exists || field.how == How::Blank)
        tests.flags.push_back({index, test.read, field.date, field.how == How::Exists});
    else if (field.how == How::Numbers && field.ranges.size() == 1)
        tests.spans.push_back({field.ranges.front().low, field.ranges.front().high, index,
                               test.read, field.date, field.negate, 0});
    else if (field.how == How::Texts && test.keys.size() == 1)
        tests.keys.push_back({test.keys.front(), index, test.read, field.date, field.negate, 0});
    else
        tests.others.push_back(index);
}

std::size_t RuleConditions::addScope(const FilterProgram::Scope& scope) {
    std::vector<int> bound;
    for (const FieldTest& test : scope.tests)
        bound.push_back(addTest(test));
    std::vector<Step> steps = scope.steps;
    for (Step& step : steps)
        if (step.op == FilterProgram::Op::Test)
            step.test = bound[std::size_t(step.test)];
    scopes_.push_back(programOf(std::move(steps)));
    return scopes_.size() - 1;
}

RuleConditions::Program RuleConditions::programOf(std::vector<Step> steps) {
    using Op = FilterProgram::Op;
    Program program;
    auto test = [&](std::size_t i) {
        return i < steps.size() && steps[i].op == Op::Test;
    };
    if (steps.size() == 1 && test(0)) {
        program.shape = Program::Shape::Test;
    } else if (steps.size() == 2 && test(0) && steps[1].op == Op::Not) {
        program.shape = Program::Shape::NotTest;
    } else if (steps.size() == 3 && test(0) && test(1) &&
               (steps[2].op == Op::And || steps[2].op == Op::Or)) {
        program.shape = steps[2].op == Op::And ? Program::Shape::And : Program::Shape::Or;
        program.b = steps[1].test;
    }
    if (program.shape != Program::Shape::Steps)
        program.a = steps[0].test;
    program.steps = std::move(steps);
    return program;
}

void RuleConditions::test(int typeIndex, std::string_view line) {
    for (const int r : readsOf_[std::size_t(typeIndex)]) {
        const Read& read = reads_[std::size_t(r)];
        Value& value = values_[std::size_t(r)];
        value.value = columns(line, read.start, read.length);
        value.trimmed = trimSpaces(value.value);
        value.blank = value.trimmed.empty();
        value.blankDate = value.blank || (value.value.size() == 8 &&
                                          std::memcmp(value.value.data(), "00000000", 8) == 0);
        if (read.keyed)
            value.key = IntegrityEdits::shortKey(value.trimmed);
        if (read.plain)
            value.plain = value.trimmed.empty() ? std::nullopt
                                                : parseInteger(value.trimmed, INT64_MIN, INT64_MAX);
        if (read.date)
            value.date = FilterLiterals::valueOf(value.trimmed, true);
    }
    // Through locals: a verdict is a char, which the compiler must take to
    // alias every member, and would read them again after each one.
    const TypeTests& tests = testsOf_[std::size_t(typeIndex)];
    const Value* const values = values_.data();
    char* const verdicts = verdicts_.data();
    for (const Flag& flag : tests.flags) {
        const Value& value = values[flag.read];
        verdicts[flag.test] = (flag.date ? value.blankDate : value.blank) != flag.exists;
    }
    const Span* const spans = tests.spans.data();
    for (std::size_t i = 0, n = tests.spans.size(); i < n;) {
        // A blank value reads as no number.
        const Value& value = values[spans[i].read];
        const std::optional<std::int64_t>& number = spans[i].date ? value.date : value.plain;
        const std::size_t end = spans[i].end;
        if (!number) {
            for (; i < end; ++i)
                verdicts[spans[i].test] = spans[i].negate;
            continue;
        }
        const std::int64_t x = *number;
        for (; i < end; ++i)
            verdicts[spans[i].test] = (x >= spans[i].low && x <= spans[i].high) != spans[i].negate;
    }
    const Key* const keys = tests.keys.data();
    for (std::size_t i = 0, n = tests.keys.size(); i < n;) {
        const Value& value = values[keys[i].read];
        const std::size_t end = keys[i].end;
        if (keys[i].date ? value.blankDate : value.blank) {
            for (; i < end; ++i)
                verdicts[keys[i].test] = keys[i].negate;
            continue;
        }
        const std::uint64_t key = value.key;
        for (; i < end; ++i)
            verdicts[keys[i].test] = (key == keys[i].key) != keys[i].negate;
    }
    for (const int t : tests.others) {
        const Test& other = tests_[std::size_t(t)];
        verdicts[t] = passes(other, values[other.read]);
    }
}

void RuleConditions::feed(std::size_t node, int typeIndex, int occurrence, std::string_view line,
                          std::int64_t at) {
    if (node < nodes_)
        restart(typeIndex);
    else
        nodes_ = node + 1;
    int& count = counts_[std::size_t(typeIndex)];
    count = std::max(count, occurrence);
    if (!(typesRead_ >> unsigned(typeIndex) & 1u))
        return;
    // A record shown with claim after claim is the same line each time: the
    // values and verdicts of its type, which only its lines make, stand.
    if (at < 0 || testedAt_[std::size_t(typeIndex)] != at) {
        test(typeIndex, line);
        testedAt_[std::size_t(typeIndex)] = at;
    }
    for (const int c : claimTestsOf_[std::size_t(typeIndex)]) {
        const ClaimTest& claimTest = claimTests_[std::size_t(c)];
        State& state = states_[std::size_t(c)];
        switch (claimTest.source) {
        case Source::Field:
            state.hit = state.hit || verdicts_[std::size_t(claimTest.test)];
            break;
        case Source::Sum: {
            // What does not read as a number adds nothing, as in the trailer's sums.
            const std::optional<std::int64_t>& n = values_[std::size_t(claimTest.read)].plain;
            if (n && !state.overflow)
                state.overflow = __builtin_add_overflow(state.sum, *n, &state.sum);
            break;
        }
        case Source::Any:
            state.hit = state.hit || run(scopes_[claimTest.scope], verdicts_.data());
            break;
        case Source::All:
            state.some = state.some || !run(scopes_[claimTest.scope], verdicts_.data());
            state.hit = true;
            break;
        default:
            break;
        }
    }
}

void RuleConditions::record(std::size_t node, int typeIndex, int occurrence, std::string_view line,
                            std::vector<std::int32_t>& failed) {
    const std::vector<RecordRule>& recordRules = recordRulesOf_[std::size_t(typeIndex)];
    if (typesFed_ >> unsigned(typeIndex) & 1u) {
        feed(node, typeIndex, occurrence, line);
    } else if (!recordRules.empty()) {
        test(typeIndex, line);
        testedAt_[std::size_t(typeIndex)] = -1;
    }
    const char* const verdicts = verdicts_.data();
    for (const RecordRule& rule : recordRules)
        if (run(scopes_[rule.scope], verdicts))
            failed.push_back(rule.rule);
}

void RuleConditions::restart(int typeIndex) {
    for (const int c : claimTestsOf_[std::size_t(typeIndex)])
        states_[std::size_t(c)] = State();
}

void RuleConditions::reset() {
    // All zeros: cleared at once.
    static_assert(std::is_trivially_copyable_v<State>);
    if (!states_.empty())
        std::memset(static_cast<void*>(states_.data()), 0, states_.size() * sizeof(State));
    counts_.fill(0);
    nodes_ = 0;
}

inline bool RuleConditions::numberPasses(const FieldTest& test, std::int64_t n) {
    bool in = false;
    for (const FilterProgram::Range& range : test.ranges)
        in = in || (n >= range.low && n <= range.high);
    return in != test.negate;
}

inline bool RuleConditions::passes(const Test& test, const Value& value) {
    // A blank value passes no test but != (and blank); one that does not
    // read as the field's kind passes no comparison but !=.
    const FieldTest& field = test.field;
    const bool blank = field.date ? value.blankDate : value.blank;
    switch (field.how) {
    case How::Exists:
        return !blank;
    case How::Blank:
        return blank;
    case How::Numbers: {
        // A blank value reads as no number.
        const std::optional<std::int64_t>& n = field.date ? value.date : value.plain;
        return n ? numberPasses(field, *n) : field.negate;
    }
    case How::Texts:
        break;
    }
    if (blank)
        return field.negate;
    if (test.exact.empty())
        return valuePasses(field, value);
    // Exact texts, compared with the value trimmed once for every test.
    bool found = false;
    if (!test.keys.empty()) {
        for (const std::uint64_t key : test.keys)
            found = found || value.key == key;
        return found != field.negate;
    }
    for (const std::string& text : test.exact)
        found = found || value.trimmed == text;
    return found != field.negate;
}

bool RuleConditions::valuePasses(const FieldTest& test, const Value& value) {
    const bool blank = test.date ? value.blankDate : value.blank;
    switch (test.how) {
    case How::Exists:
        return !blank;
    case How::Blank:
        return blank;
    case How::Numbers: {
        const std::optional<std::int64_t>& n = test.date ? value.date : value.plain;
        return !blank && n ? numberPasses(test, *n) : test.negate;
    }
    case How::Texts:
        break;
    }
    if (blank)
        return test.negate;
    bool found = false;
    // Every kind of text weighs the value without its blanks alone.
    for (const ValueMatcher& text : test.texts)
        found = found || text.matchesTrimmed(value.trimmed);
    return found != test.negate;
}

inline bool RuleConditions::run(const Program& program, const char* verdicts) {
    switch (program.shape) {
    case Program::Shape::Test:
        return verdicts[program.a];
    case Program::Shape::NotTest:
        return !verdicts[program.a];
    case Program::Shape::And:
        return verdicts[program.a] && verdicts[program.b];
    case Program::Shape::Or:
        return verdicts[program.a] || verdicts[program.b];
    case Program::Shape::Steps:
        break;
    }
    return FilterProgram::run(program.steps, verdicts, stack_.data());
}

inline bool RuleConditions::verdict(const ClaimTest& test, const State& state,
                                    const PassClaim& claim, std::uint32_t problemKinds) const {
    switch (test.source) {
    case Source::Field:
    case Source::Any:
        return state.hit;
    case Source::All:
        return state.hit && !state.some;
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
    return keyPasses(test, claim);
}

bool RuleConditions::keyPasses(const ClaimTest& test, const PassClaim& claim) const {
    char key[FileTree::kKeyRoom];
    const char* end = key;
    if (test.source == Source::Claim) {
        end = FileTree::writeKey(key, "CA0", claim.position);
    } else {
        for (const SharedRecord& shown : *claim.above)
            if (shown.typeIndex == ba0_)
                end = FileTree::writeKey(key, "BA0", shown.at);
    }
    Value value;
    value.value = std::string_view(key, std::size_t(end - key));
    value.trimmed = trimSpaces(value.value);
    value.blank = value.trimmed.empty();
    value.blankDate = value.blank || value.value == "00000000";
    if (test.field.how == How::Numbers) {
        value.plain = FilterLiterals::valueOf(value.trimmed, false);
        value.date = FilterLiterals::valueOf(value.trimmed, true);
    }
    return valuePasses(test.field, value);
}

void RuleConditions::finish(const PassClaim& claim, std::uint32_t problemKinds,
                            std::vector<std::int32_t>& chosen) {
    // The records a click shows with the claim: those above it come first,
    // so a record of the claim's own of the same type has taken their place;
    // those below come last and take the place of any of the claim's own.
    for (const SharedRecord& shown : *claim.above)
        if ((typesFed_ >> unsigned(shown.typeIndex) & 1u) &&
            counts_[std::size_t(shown.typeIndex)] == 0)
            feed(nodes_, shown.typeIndex, 1, shown.line, shown.at);
    for (const SharedRecord& shown : *claim.below) {
        if (!(typesFed_ >> unsigned(shown.typeIndex) & 1u))
            continue;
        if (counts_[std::size_t(shown.typeIndex)] > 0)
            restart(shown.typeIndex);
        feed(nodes_, shown.typeIndex, 1, shown.line, shown.at);
    }
    const ClaimTest* const claimTests = claimTests_.data();
    const State* const states = states_.data();
    char* const verdicts = claimVerdicts_.data();
    for (std::size_t i = 0, n = claimTests_.size(); i < n; ++i)
        verdicts[i] = verdict(claimTests[i], states[i], claim, problemKinds);
    for (const ClaimRule& rule : claimRules_)
        if (run(rule.program, verdicts))
            chosen.push_back(rule.rule);
    reset();
}

} // namespace qm
