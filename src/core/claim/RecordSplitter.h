#pragma once

#include "core/claim/ClaimRules.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// What splitting records does within one click (or one claim of the
// whole-file check): each record of a type takes the next occurrence of that
// type (always the first for a type that does not repeat), and the claim's
// amounts are summed.
class RecordSplitter {
public:
    struct Split {
        int typeIndex = -1; // catalogue index of the record type; -1: no layout
        int occurrence = 0;
        // Occurrences 1 to 99 are stored; a record beyond has no slot and no node.
        bool stored() const {
            return typeIndex >= 0 && occurrence >= 1 && occurrence <= kMaxOccurrence;
        }
    };

    explicit RecordSplitter(const ClaimRules& rules)
        : rules_(rules) {}

    // Takes the record's occurrence and, for a stored one, adds its amounts to totals.
    Split split(std::string_view line, std::string_view recordType);
    // As new, for the next claim: only the types split since are cleared,
    // which costs a claim pass far less than building a new one per claim.
    void reset();
    // The claim form node key of a stored record: its type, or for a repeating
    // type (but never AA0, BA0, BA1 or CA0) the type, "-" and the occurrence;
    // empty when the record is not stored.
    std::string nodeKey(const Split& split) const;
    // The same by the layouts alone.
    static std::string nodeKey(const LayoutCatalogue& layouts, const Split& split);

    ClaimTotals totals;

private:
    const ClaimRules& rules_;
    // Wider than an occurrence: it keeps counting past 99 records of a type.
    std::array<std::int32_t, kRecordTypeCount> occurrences_{};
    std::uint32_t typesSplit_ = 0; // bit by type index
    static_assert(kRecordTypeCount <= 32);
};

} // namespace qm
