#include "core/check/ClaimRows.h"

#include "core/claim/AssembledClaim.h"
#include "core/claim/ClaimRules.h"
#include "core/common/TextUtil.h"

namespace qm {

namespace {

ProblemRow rowOf(const Problem& claim, Problem::Kind kind, int typeIndex, int occurrence, int field,
                 std::string_view value) {
    ProblemRow row{claim, value};
    row.problem.kind = kind;
    row.problem.recordType = std::int8_t(typeIndex);
    row.problem.occurrence = std::int16_t(occurrence);
    row.problem.field = std::int16_t(field);
    return row;
}

} // namespace

bool ClaimRows::listsInvalid(int typeIndex, int occurrence, int field, std::string_view value,
                             std::size_t lineLength) const {
    static const int xa0 = recordTypeIndex("XA0");
    if (typeIndex != xa0 || occurrence != 1 || !rules_.isCompared(field))
        return true;
    const RecordLayout& layout = rules_.layouts().at(typeIndex);
    return trimSpaces(value).empty() && layout.fitsIn(field, lineLength);
}

void ClaimRows::addTotals(const TotalsVerdict& totals, const Problem& claim,
                          std::vector<ProblemRow>& rows) const {
    static const int xa0 = recordTypeIndex("XA0");
    for (const TotalsComparison& comparison : totals.compared) {
        if (comparison.match)
            continue;
        ProblemRow row = rowOf(claim, Problem::Kind::TotalsDoNotCompute, xa0, 1, comparison.field,
                               comparison.stated);
        row.problem.expected = comparison.computed;
        if (const auto stated = parseInteger(comparison.stated, INT64_MIN, INT64_MAX)) {
            row.problem.found = *stated;
            row.problem.flags |= Problem::kFoundIsNumber;
        }
        rows.push_back(row);
    }
    for (const int field : totals.uncut) {
        ProblemRow row = rowOf(claim, Problem::Kind::CouldNotCheck, xa0, 1, field, {});
        row.problem.found = totals.xa0Length;
        rows.push_back(row);
    }
    for (const TotalsVerdict::Uncompared& field : totals.tooLarge) {
        ProblemRow row =
            rowOf(claim, Problem::Kind::CouldNotCheck, xa0, 1, field.field, field.stated);
        row.problem.flags |= Problem::kTooLarge;
        rows.push_back(row);
    }
}

void ClaimRows::addInvalid(const Problem& claim, int typeIndex, int occurrence, int field,
                           std::string_view value, std::vector<ProblemRow>& rows) {
    rows.push_back(rowOf(claim, Problem::Kind::InvalidValue, typeIndex, occurrence, field, value));
}

void ClaimRows::addFieldless(const TotalsVerdict& totals, bool unreadable, const Problem& claim,
                             std::vector<ProblemRow>& rows) {
    if (unreadable)
        rows.push_back(rowOf(claim, Problem::Kind::Unreadable, -1, 0, -1, {}));
    // A map that lacks fields: said once, unless a compared field failed.
    if (totals.state == TotalsState::CouldNotCheck && totals.lacksFields)
        rows.push_back(
            rowOf(claim, Problem::Kind::CouldNotCheck, recordTypeIndex("XA0"), 1, -1, {}));
    if (totals.state == TotalsState::NoTrailer)
        rows.push_back(rowOf(claim, Problem::Kind::NoXa0, -1, 0, -1, {}));
}

void ClaimRows::ofClick(const AssembledClaim& claim, const Problem& where,
                        std::vector<ProblemRow>& rows) const {
    addTotals(claim.totals, where, rows);
    for (const ClaimNode& node : claim.nodes) {
        const AssembledRecord* record = claim.record(node);
        if (!record)
            continue;
        const int type = recordTypeIndex(record->type);
        for (int i = 0; i < int(record->fields.size()); ++i)
            if (!record->valid(i) &&
                listsInvalid(type, record->occurrence, i, record->value(i), record->line.size()))
                addInvalid(where, type, record->occurrence, i, record->value(i), rows);
    }
    addFieldless(claim.totals, claim.unreadable, where, rows);
}

} // namespace qm
