#include "core/rules/RuleFindings.h"

#include "core/check/RuleCatalogue.h"

#include <algorithm>

namespace qm {

void RuleFindings::close() {
    if (open_)
        found_.back().valueLength = std::uint32_t(values_.size() - found_.back().value);
    open_ = false;
}

void RuleFindings::add(const Finding& finding, std::string_view value) {
    close();
    found_.push_back({finding, std::uint32_t(values_.size()), std::uint32_t(value.size())});
    values_.append(value);
}

std::string& RuleFindings::addPacked(const Finding& finding) {
    close();
    found_.push_back({finding, std::uint32_t(values_.size()), 0});
    open_ = true;
    return values_;
}

void RuleFindings::dropNode(std::size_t node) {
    close();
    const std::int64_t order = ownOrder(node);
    found_.erase(std::remove_if(found_.begin(), found_.end(),
                                [&](const Kept& k) { return k.finding.order == order; }),
                 found_.end());
}

void RuleFindings::clear() {
    found_.clear();
    values_.clear();
    open_ = false;
}

void RuleFindings::rows(const RuleCatalogue& rules, std::int64_t position,
                        std::vector<ProblemRow>& rows) {
    close();
    if (found_.empty())
        return;
    std::stable_sort(found_.begin(), found_.end(), [](const Kept& a, const Kept& b) {
        return a.finding.rule != b.finding.rule ? a.finding.rule < b.finding.rule
                                                : a.finding.order < b.finding.order;
    });
    for (const Kept& kept : found_) {
        const Finding& f = kept.finding;
        const RuleCatalogue::Rule* rule = rules.rule(f.rule);
        ProblemRow row;
        Problem& p = row.problem;
        p.kind = Problem::Kind::Rule;
        p.scope = Problem::Scope::Claim;
        p.position = position;
        p.recordType = std::int8_t(f.recordType);
        p.occurrence = std::int16_t(f.recordType < 0 ? 0 : f.occurrence);
        p.field = std::int16_t(f.field);
        p.expected = f.expected;
        p.rule = f.rule;
        p.ruleSeverity = rule ? rule->severity : Problem::Severity::Error;
        row.value = std::string_view(values_).substr(kept.value, kept.valueLength);
        row.rules = &rules;
        rows.push_back(row);
    }
}

} // namespace qm
