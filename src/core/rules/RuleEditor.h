#pragma once

#include "core/check/RuleCatalogue.h"
#include "core/filter/FilterEvaluator.h"
#include "core/layouts/RecordTypes.h"
#include "core/rules/IntegrityEdits.h"
#include "core/rules/RuleFindings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

class RuleSet;

// One worker's weighing of a claim by a RuleSet, as the whole-file check
// reads it: every condition on the claim through a filter evaluator of its
// own (fed the claim's records as they come), every condition on records
// asked of each record of its type, and the built-in edits; at the claim's
// end its rows, in the order of RuleFindings. Nothing is allocated per claim
// once the buffers have grown.
class RuleEditor : public ClaimEditor {
public:
    explicit RuleEditor(const RuleSet& set);
    ~RuleEditor() override;

    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override;
    void finish(const PassClaim& claim, std::uint32_t checkKinds,
                std::vector<ProblemRow>& rows) override;
    void forget() override;

private:
    struct Condition {
        std::int32_t rule;
        FilterEvaluator evaluator;
    };
    // The values a claim rule's message names, from the first record of
    // their type (the claim's own, else one shown with it).
    void packClaimMessage(const RuleCatalogue::Rule& rule, const PassClaim& claim,
                          std::string& packed) const;
    void reset();

    const RuleSet& set_;
    const LayoutCatalogue& layouts_;
    std::vector<Condition> claimRules_;
    // The claim rules that read records of each type (in claimRules_).
    std::array<std::vector<std::size_t>, kRecordTypeCount> claimRulesOf_;
    std::vector<Condition> recordRules_;
    std::array<std::vector<std::size_t>, kRecordTypeCount> recordRulesOf_; // in recordRules_
    IntegrityEdits integrity_;
    RuleFindings findings_;
    std::size_t nodes_ = 0;
    // The first record of each type a claim rule's message names.
    std::uint32_t messageTypes_ = 0;
    std::uint32_t kept_ = 0;
    std::array<std::string, kRecordTypeCount> firstLines_;
};

} // namespace qm
