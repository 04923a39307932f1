#pragma once

#include "core/check/Problem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class RuleCatalogue;

// The rule rows of the claim being read, kept small until the claim ends,
// then handed on in their order: rule by rule as the rules were loaded, and
// within a rule in the order a click shows the records (those above the
// claim's own, its own, those below).
class RuleFindings {
public:
    // Where a finding stands among its rule's: records above the claim's
    // own, the claim itself, its own records by node, records below.
    static std::int64_t aboveOrder(std::size_t index) { return -4 + std::int64_t(index); }
    static constexpr std::int64_t kClaimOrder = -1;
    static std::int64_t ownOrder(std::size_t node) { return std::int64_t(node); }
    static std::int64_t belowOrder(std::size_t index) {
        return (std::int64_t(1) << 40) + std::int64_t(index);
    }

    struct Finding {
        std::int32_t rule = -1;
        std::int64_t order = 0;
        int recordType = -1;
        int occurrence = 0;
        int field = -1;
        std::int64_t expected = 0;
    };

    // A finding whose value is the value given.
    void add(const Finding& finding, std::string_view value);
    // A finding whose value is put together afterwards, at the end of
    // values() (RuleCatalogue::packValue), before the next add.
    std::string& addPacked(const Finding& finding);
    // A record of the claim's own took the place of the one at node: that
    // one's findings go.
    void dropNode(std::size_t node);
    bool empty() const { return found_.empty(); }
    void clear();
    // The claim's rows, in order, appended to rows; position: its CA0's.
    // Their values stay valid until clear().
    void rows(const RuleCatalogue& rules, std::int64_t position, std::vector<ProblemRow>& rows);

private:
    struct Kept {
        Finding finding;
        std::uint32_t value = 0;
        std::uint32_t valueLength = 0;
    };
    void close();

    std::vector<Kept> found_;
    std::string values_;
    bool open_ = false; // the last finding's value is being put together
};

} // namespace qm
