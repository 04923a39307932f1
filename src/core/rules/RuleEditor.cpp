#include "core/rules/RuleEditor.h"

#include "core/check/ClaimVisitor.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/rules/RuleSet.h"

namespace qm {

RuleEditor::RuleEditor(const RuleSet& set)
    : set_(set)
    , layouts_(*set.layouts())
    , conditions_(set, *set.layouts())
    , integrity_(set, *set.layouts())
    , xa0_(recordTypeIndex("XA0")) {
    const std::vector<RuleCatalogue::Rule>& rules = set.rules();
    for (const RuleCatalogue::Rule& rule : rules)
        if (rule.edit == RuleCatalogue::Edit::Condition && rule.recordType < 0)
            for (const RuleCatalogue::MessagePart& part : rule.message)
                if (part.type >= 0 && part.type != xa0_)
                    messageTypes_ |= 1u << unsigned(part.type);
}

RuleEditor::~RuleEditor() = default;

void RuleEditor::record(std::size_t node, int typeIndex, int occurrence, std::string_view line) {
    // A claim begins with its CA0: the rows of the one before have been taken.
    if (node == 0)
        findings_.clear();
    if (node < nodes_) {
        // It takes an earlier record's place: that one's findings go.
        findings_.dropNode(node);
        integrity_.dropNode(node);
    } else {
        nodes_ = node + 1;
    }
    chosen_.clear();
    if (!conditions_.empty())
        conditions_.record(node, typeIndex, occurrence, line, chosen_);
    // A record that takes the first one's place comes as the first again.
    if ((messageTypes_ >> unsigned(typeIndex) & 1u) && occurrence == 1) {
        firstLines_[std::size_t(typeIndex)].assign(line);
        kept_ |= 1u << unsigned(typeIndex);
    }
    for (const std::int32_t rule : chosen_) {
        const RuleCatalogue::Rule& about = set_.rules()[std::size_t(rule)];
        std::string& packed =
            findings_.addPacked({rule, RuleFindings::ownOrder(node), typeIndex, occurrence, -1, 0});
        for (const RuleCatalogue::MessagePart& part : about.message) {
            if (part.type < 0)
                continue;
            const std::string_view value = layouts_.at(part.type).value(part.field, line);
            RuleCatalogue::packValue(packed, &value);
        }
    }
    integrity_.record(node, typeIndex, occurrence, line, findings_);
}

void RuleEditor::packClaimMessage(const RuleCatalogue::Rule& rule, const PassClaim& claim,
                                  std::string& packed) const {
    for (const RuleCatalogue::MessagePart& part : rule.message) {
        if (part.type < 0)
            continue;
        std::string_view line;
        bool found = false;
        if (part.type == xa0_) {
            // The claim's own, as the check keeps it: not copied again here.
            found = claim.xa0 != nullptr;
            line = found ? *claim.xa0 : std::string_view();
        } else if (kept_ >> unsigned(part.type) & 1u) {
            line = firstLines_[std::size_t(part.type)];
            found = true;
        }
        for (const std::vector<SharedRecord>* shown : {claim.above, claim.below})
            for (const SharedRecord& record : *shown)
                if (!found && record.typeIndex == part.type) {
                    line = record.line;
                    found = true;
                }
        const std::string_view value = layouts_.at(part.type).value(part.field, line);
        RuleCatalogue::packValue(packed, found ? &value : nullptr);
    }
}

void RuleEditor::finish(const PassClaim& claim, std::uint32_t checkKinds,
                        std::vector<ProblemRow>& rows) {
    integrity_.finish(claim, findings_);
    chosen_.clear();
    if (!conditions_.empty())
        conditions_.finish(claim, checkKinds, chosen_);
    for (const std::int32_t rule : chosen_) {
        std::string& packed = findings_.addPacked({rule, RuleFindings::kClaimOrder, -1, 0, -1, 0});
        packClaimMessage(set_.rules()[std::size_t(rule)], claim, packed);
    }
    findings_.rows(set_, claim.position, rows);
    reset();
}

void RuleEditor::reset() {
    // The rows handed on point into the findings: cleared when the next claim begins.
    nodes_ = 0;
    kept_ = 0;
    integrity_.reset();
}

void RuleEditor::forget() {
    conditions_.reset();
    findings_.clear();
    reset();
}

// Made here, beside what it makes, so that the set need not know the editor.
std::unique_ptr<ClaimEditor> RuleSet::editor() const {
    if (rules_.empty())
        return nullptr;
    return std::make_unique<RuleEditor>(*this);
}

} // namespace qm
