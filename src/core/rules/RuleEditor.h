#pragma once

#include "core/check/RuleCatalogue.h"
#include "core/layouts/RecordTypes.h"
#include "core/rules/IntegrityEdits.h"
#include "core/rules/RuleConditions.h"
#include "core/rules/RuleFindings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

class RuleSet;

// One worker's weighing of a claim by a RuleSet, as the whole-file check
// reads it: the conditions on the claim and on each record all at once
// (RuleConditions, fed the claim's records as they come), and the built-in
// edits; at the claim's end its rows, in the order of RuleFindings. Nothing
// is allocated per claim once the buffers have grown.
class RuleEditor : public ClaimEditor {
public:
    explicit RuleEditor(const RuleSet& set);
    ~RuleEditor() override;

    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override;
    void finish(const PassClaim& claim, std::uint32_t checkKinds,
                std::vector<ProblemRow>& rows) override;
    void forget() override;

private:
    // The values a claim rule's message names, from the first record of
    // their type (the claim's own, else one shown with it).
    void packClaimMessage(const RuleCatalogue::Rule& rule, const PassClaim& claim,
                          std::string& packed) const;
    void reset();

    const RuleSet& set_;
    const LayoutCatalogue& layouts_;
    RuleConditions conditions_;
    std::vector<std::int32_t> chosen_; // the rules a record or the claim fails
    IntegrityEdits integrity_;
    RuleFindings findings_;
    std::size_t nodes_ = 0;
    const int xa0_;
    // The first record of each type a claim rule's message names (but the
    // XA0, which the claim hands over).
    std::uint32_t messageTypes_ = 0;
    std::uint32_t kept_ = 0;
    std::array<std::string, kRecordTypeCount> firstLines_;
};

} // namespace qm
