#pragma once

#include "core/filter/FilterProgram.h"
#include "core/layouts/RecordTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qm {

class LayoutCatalogue;
class RuleSet;
struct PassClaim;

// One worker's weighing of every condition rule of a set at once, claim
// after claim: a field the rules name is cut from a record once and read as
// a number once, a test of its value that several rules ask is made once,
// and then each rule's steps run over those verdicts. Fifty rules of a payer
// cost little more than one: they mostly read the same few fields. What a
// rule chooses is what a FilterEvaluator of its own would choose. Nothing is
// allocated per claim once the buffers have grown. Not for two threads.
class RuleConditions {
public:
    RuleConditions(const RuleSet& set, const LayoutCatalogue& layouts);

    // Whether the set has no condition rule: then nothing need be fed.
    bool empty() const { return claimRules_.empty() && !anyRecordRule_; }

    // A record of the claim's own, as ClaimVisitor::record has it; the rules
    // on each record of its type that it fails are appended to failed
    // (indexes in the set), in the set's order.
    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line,
                std::vector<std::int32_t>& failed);
    // The claim has ended: the claim rules that choose it are appended to
    // chosen, in the set's order, given the records shown with it and the
    // kinds of its check's own rows. Then ready for the next claim.
    void finish(const PassClaim& claim, std::uint32_t problemKinds,
                std::vector<std::int32_t>& chosen);
    // Forgets the claim begun.
    void reset();

private:
    using FieldTest = FilterProgram::FieldTest;
    using Step = FilterProgram::Step;

    // A field as the tests find it in one record: cut, trimmed, and read as
    // the numbers they compare.
    struct Value {
        std::string_view value;
        std::string_view trimmed;
        std::optional<std::int64_t> plain; // a whole number (also what a sum adds)
        std::optional<std::int64_t> date;  // a real date CCYYMMDD
        std::uint64_t key = 0;             // trimmed, as IntegrityEdits::shortKey
        bool blank = false;                // nothing but blanks
        bool blankDate = false;            // or, in a date field, 00000000
    };
    struct Read {
        int type = -1;
        int field = -1;
        std::int64_t start = 0; // 0: the field cannot be cut
        std::int64_t length = 0;
        bool plain = false; // its value is read as a whole number
        bool date = false;  // or as a date
        bool keyed = false; // an exact text is looked for in it
    };
    // A test of a record's value, one for all the rules that ask it.
    struct Test {
        FieldTest field;
        int read = -1;
        // Texts that are all exact: the texts a trimmed value is compared
        // with, and the same as short keys when each has one.
        std::vector<std::string> exact;
        std::vector<std::uint64_t> keys;
    };
    // The same, for the loops over a record's tests: the kinds most rules
    // ask, each kind in a list of its own with what it compares side by
    // side, so that each loop is a few loads and no choice (Other: tests_).
    struct Flag { // Exists, Blank
        int test;
        int read;
        bool date;
        bool exists;
    };
    // Spans and keys are kept in runs of the same read and kind, its value
    // looked at once for the run (end: past the run's last).
    struct Span { // a single range of numbers
        std::int64_t low, high;
        int test;
        int read;
        bool date;
        bool negate;
        std::uint32_t end = 0;
    };
    struct Key { // a single exact text
        std::uint64_t key;
        int test;
        int read;
        bool date;
        bool negate;
        std::uint32_t end = 0;
    };
    struct TypeTests {
        std::vector<Flag> flags;
        std::vector<Span> spans;
        std::vector<Key> keys;
        std::vector<int> others;
    };
    template <typename T> static void formRuns(std::vector<T>& tests);
    void addQuick(const Test& test, int index);
    // Steps, and the shapes most rules have, run without the stack.
    struct Program {
        enum class Shape : std::uint8_t { Test, NotTest, And, Or, Steps };
        Shape shape = Shape::Steps;
        int a = 0, b = 0; // the tests of Test, NotTest, And and Or
        std::vector<Step> steps;
    };
    // A test of the claim a rule asks (FilterProgram::Test), its field
    // tests and scope steps bound to the shared ones.
    struct ClaimTest {
        FilterProgram::Source source = FilterProgram::Source::Field;
        FieldTest field;
        int test = -1;         // Field: in tests_
        int read = -1;         // Sum: in reads_
        std::size_t scope = 0; // Any, All: in scopes_
        std::uint32_t kinds = 0;
        bool negate = false;
    };
    struct State {
        bool hit = false;
        bool some = false; // All: some record failed (all zeros: a claim begun)
        bool overflow = false;
        std::int64_t sum = 0;
    };
    struct ClaimRule {
        std::int32_t rule;
        Program program; // over claimTests_
    };
    struct RecordRule {
        std::int32_t rule;
        std::size_t scope; // in scopes_
    };

    void addClaimRule(std::int32_t rule, const FilterProgram& program);
    int addRead(int type, int field, bool date, bool sum);
    int addTest(const FieldTest& test);
    std::size_t addScope(const FilterProgram::Scope& scope);
    // Cuts and tests the fields of a record of a type; then its claim tests.
    void test(int typeIndex, std::string_view line);
    // at: where a record shown with the claim was read (-1: one of its own).
    void feed(std::size_t node, int typeIndex, int occurrence, std::string_view line,
              std::int64_t at = -1);
    void restart(int typeIndex);
    static bool passes(const Test& test, const Value& value);
    static bool valuePasses(const FieldTest& test, const Value& value);
    static bool numberPasses(const FieldTest& test, std::int64_t n);
    // Claim, Batch: whether the claim's key, or its batch's, passes.
    bool keyPasses(const ClaimTest& test, const PassClaim& claim) const;
    static Program programOf(std::vector<Step> steps);
    bool run(const Program& program, const char* verdicts);
    bool verdict(const ClaimTest& test, const State& state, const PassClaim& claim,
                 std::uint32_t problemKinds) const;

    const LayoutCatalogue& layouts_;
    const int ba0_;
    std::vector<Read> reads_;
    std::vector<Test> tests_;
    std::vector<Program> scopes_; // over tests_
    std::vector<ClaimTest> claimTests_;
    std::vector<ClaimRule> claimRules_;
    std::array<std::vector<int>, kRecordTypeCount> readsOf_;
    std::array<TypeTests, kRecordTypeCount> testsOf_;
    std::array<std::vector<int>, kRecordTypeCount> claimTestsOf_; // fed by records of a type
    std::array<std::vector<RecordRule>, kRecordTypeCount> recordRulesOf_;
    bool anyRecordRule_ = false;
    std::uint32_t typesFed_ = 0;  // read or counted by a claim rule
    std::uint32_t typesRead_ = 0; // with a value a test reads

    // The claim being read.
    std::vector<Value> values_;  // by read, of the record being tested
    std::vector<char> verdicts_; // by test, of that record
    std::vector<State> states_;  // by claim test
    std::vector<char> claimVerdicts_;
    std::array<int, kRecordTypeCount> counts_{};
    // Where the record last tested of each type was read, when it was one
    // shown with a claim (else -1).
    std::array<std::int64_t, kRecordTypeCount> testedAt_{};
    std::size_t nodes_ = 0;
    std::vector<char> stack_;
};

} // namespace qm
