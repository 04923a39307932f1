#pragma once

#include "core/search/ValueMatcher.h"

#include <cstdint>
#include <vector>

namespace qm {

// A filter expression compiled against one map's layouts: every field looked
// up once (record type index and field index), every literal converted once
// to the unit of the field it is compared with. A claim's records feed the
// tests as they are read; the claim matches when the steps, a postfix
// program over the tests' verdicts, end in true.
struct FilterProgram {
    // The whole numbers from low to high, both included.
    struct Range {
        std::int64_t low = 0;
        std::int64_t high = 0;
    };

    // What a value of a field is tested for.
    enum class How : std::uint8_t {
        Exists,  // a value that is not blank
        Blank,   // a blank value
        Numbers, // the number it reads as, in the field's unit, lies in one of ranges
        Texts,   // one of texts matches it (exact, contains or matches)
    };

    // A test on the values of one field.
    struct FieldTest {
        int type = -1;  // record type index
        int field = -1; // index in the type's layout
        How how = How::Exists;
        // The field holds dates: "00000000" is blank, and a value reads as a
        // number only when it is a real date (CCYYMMDD).
        bool date = false;
        // !=: true for a value outside the ranges or texts, and for a blank
        // value or one that does not read as the field's kind.
        bool negate = false;
        std::vector<Range> ranges;
        std::vector<ValueMatcher> texts;
    };

    enum class Op : std::uint8_t { Test, And, Or, Not };
    struct Step {
        Op op = Op::Test;
        int test = 0; // Op::Test: index in tests (or in a scope's tests)
    };

    // What one test of the whole claim looks at.
    enum class Source : std::uint8_t {
        Field,   // any occurrence of the field passes field
        Count,   // the number of records of type passes field (Numbers)
        Sum,     // the sum of the field's values passes field (Numbers)
        Problem, // the claim has a problem of one of the kinds in kinds
        Claim,   // the claim's key passes field (Texts)
        Batch,   // its batch's key passes field (Texts); no batch: blank
        Any,     // scope: some record of the scope's type passes its steps
        All,     // every record of the scope's type passes them (and there is one)
    };
    struct Test {
        Source source = Source::Field;
        FieldTest field; // its type is also that of Count, Sum and the scopes
        std::uint32_t kinds = 0;
        bool negate = false; // Problem: !=
        int scope = -1;      // Any, All: index in scopes
    };

    // any(FA0: ...), all(...): steps over tests of one record at a time.
    struct Scope {
        int type = -1;
        std::vector<FieldTest> tests;
        std::vector<Step> steps;
    };

    std::vector<Test> tests;
    std::vector<Step> steps;
    std::vector<Scope> scopes;
    // The depth of the stack the steps need.
    std::size_t stackDepth = 0;
    // A test asks for the claim's problems: the check must judge every claim.
    bool usesProblems = false;

    // The verdict of steps over their tests' verdicts, on a stack of at least
    // stackDepth.
    static bool run(const std::vector<Step>& steps, const char* verdicts, char* stack) {
        std::size_t depth = 0;
        for (const Step& step : steps) {
            switch (step.op) {
            case Op::Test:
                stack[depth++] = verdicts[step.test];
                break;
            case Op::Not:
                stack[depth - 1] = !stack[depth - 1];
                break;
            case Op::And:
                --depth;
                stack[depth - 1] = stack[depth - 1] && stack[depth];
                break;
            case Op::Or:
                --depth;
                stack[depth - 1] = stack[depth - 1] || stack[depth];
                break;
            }
        }
        return depth == 1 && stack[0];
    }
};

} // namespace qm
