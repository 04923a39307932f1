#pragma once

#include "core/filter/ClaimFilter.h"
#include "core/filter/FilterProgram.h"
#include "core/layouts/RecordTypes.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qm {

class LayoutCatalogue;
struct PassClaim;

// One worker's evaluation of a claim filter, claim after claim of a claim
// pass: the records of a claim feed it as they are read (only the fields
// the filter names are cut), and at the claim's end the records shown with
// it, its problems and its keys decide. Nothing is allocated per claim. Not
// for two threads at once (each worker has its own).
class FilterEvaluator {
public:
    FilterEvaluator(const ClaimFilter& filter, const LayoutCatalogue& layouts);

    // A record of the current claim, as ClaimVisitor::record has it: a
    // record that comes with an earlier node number takes that record's place.
    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line);
    // The claim has ended: whether it matches, given the records shown with
    // it (above and below its own) and the kinds of its whole-file check
    // problems (bit 1 << Problem::Kind). Then ready for the next claim.
    bool finish(const PassClaim& claim, std::uint32_t problemKinds);
    // Forgets the claim begun (a chunk cut short).
    void reset();
    // Whether finish() needs the claim's problems.
    bool usesProblems() const { return program_.usesProblems; }
    // The record types whose records it reads or counts (bit 1 << type):
    // records of other types may be left out of record().
    std::uint32_t typesRead() const { return typesUsed_ | typesCounted_; }
    // For a filter of one any(RT: ...) alone (a rule on each record of a
    // type): whether this record of RT passes what the scope asks.
    bool recordPasses(std::string_view line) {
        return !program_.scopes.empty() && scopePasses(program_.scopes.front(), line);
    }

private:
    struct State {
        bool hit = false;
        bool all = true; // All: every record so far passed
        bool overflow = false;
        std::int64_t sum = 0;
    };

    void apply(int test, std::string_view line);
    // The records of a type read so far are replaced by one that takes their place.
    void restart(int typeIndex);
    bool passes(const FilterProgram::FieldTest& test, std::string_view line) const;
    static bool valuePasses(const FilterProgram::FieldTest& test, std::string_view value);
    static bool numberPasses(const FilterProgram::FieldTest& test, std::int64_t n);
    bool scopePasses(const FilterProgram::Scope& scope, std::string_view line);
    bool run(const std::vector<FilterProgram::Step>& steps, const char* verdicts);
    bool verdict(const FilterProgram::Test& test, const State& state, const PassClaim& claim,
                 std::uint32_t problemKinds) const;

    const LayoutCatalogue& layouts_;
    const int ba0_;
    FilterProgram program_; // a copy: its matchers keep working space of their own
    std::vector<State> states_;
    // The tests records of each type feed, and the types any test names.
    std::array<std::vector<int>, kRecordTypeCount> byType_;
    std::uint32_t typesUsed_ = 0;
    std::uint32_t typesCounted_ = 0; // by count(RT)
    // Records of each type the claim has (the highest occurrence).
    std::array<int, kRecordTypeCount> counts_{};
    std::size_t nodes_ = 0;
    std::vector<char> verdicts_;  // of the claim's tests, at its end
    std::vector<char> scopeHits_; // of a scope's tests, for one record
    std::vector<char> stack_;
};

} // namespace qm
