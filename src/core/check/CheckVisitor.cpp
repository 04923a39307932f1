#include "core/check/CheckVisitor.h"

#include "core/claim/ClaimRules.h"
#include "core/claim/RecordSplitter.h"
#include "core/common/RecordLine.h"
#include "core/common/TextUtil.h"
#include "core/filetree/NodeText.h"
#include "core/layouts/FieldValidator.h"
#include "core/layouts/LayoutCatalogue.h"

#include <algorithm>
#include <limits>

namespace qm {

CheckVisitor::CheckVisitor(const ClaimRules& rules, std::vector<ChunkFindings>& findings,
                           ChunkFindingsPool& pool)
    : rules_(rules)
    , claimRows_(rules)
    , findings_(findings)
    , pool_(pool)
    , aa0_(recordTypeIndex("AA0"))
    , ba0_(recordTypeIndex("BA0"))
    , ca0_(recordTypeIndex("CA0"))
    , fa0_(recordTypeIndex("FA0"))
    , ya0_(recordTypeIndex("YA0"))
    , za0_(recordTypeIndex("ZA0"))
    , fa0Layout_(rules.layouts().at(fa0_)) {
    where_.scope = Problem::Scope::Claim;
    // The batch and file trailers add up the line charges as the claim's
    // trailer does: the first FA0 13.0 of the map, when it is a number field.
    charges_ = fa0Layout_.indexOf("13.0");
    chargesNumeric_ =
        charges_ >= 0 && fa0Layout_.field(charges_).TypeCodes.find('N') != std::string::npos;
}

CheckVisitor::~CheckVisitor() = default;

void CheckVisitor::beginChunk(std::size_t chunk) {
    findings_[chunk] = pool_.take();
    chunk_ = &findings_[chunk];
    claimsOpen_ = 0;
}

void CheckVisitor::addInvalid(int typeIndex, int occurrence, std::string_view line,
                              std::size_t node) {
    const RecordLayout& layout = rules_.layouts().at(typeIndex);
    for (const RecordLayout::CheckedField& field : layout.checkedFields()) {
        const std::string_view value = field.value(line);
        if (checkFieldValue(field.checks, value) ||
            !claimRows_.listsInvalid(typeIndex, occurrence, field.index, value, line.size()))
            continue;
        invalid_.push_back({node, typeIndex, occurrence, field.index, std::uint32_t(values_.size()),
                            std::uint32_t(value.size())});
        values_.append(value);
    }
}

void CheckVisitor::record(std::size_t node, int typeIndex, int occurrence, std::string_view line) {
    if (node < nodes_) {
        // A record taking an earlier one's place: its values replace that one's.
        invalid_.erase(std::remove_if(invalid_.begin(), invalid_.end(),
                                      [&](const Invalid& i) { return i.node == node; }),
                       invalid_.end());
        reordered_ = true;
    } else {
        nodes_ = node + 1;
    }
    addInvalid(typeIndex, occurrence, line, node);
    if (editor_)
        editor_->record(node, typeIndex, occurrence, line);
}

const CheckVisitor::Shared& CheckVisitor::shared(const SharedRecord& record, std::size_t& hint) {
    ++uses_;
    // Claim after claim shows the same records in the same order: each is
    // mostly where it was found for the claim before.
    if (shared_[hint].at == record.at && shared_[hint].typeIndex == record.typeIndex) {
        shared_[hint].lastUse = uses_;
        return shared_[hint];
    }
    for (Shared& kept : shared_) {
        if (kept.at == record.at && kept.typeIndex == record.typeIndex) {
            kept.lastUse = uses_;
            hint = std::size_t(&kept - shared_.data());
            return kept;
        }
    }
    // Claims come in file order: the record used longest ago is done with
    // (never one of this claim's, which are the last few used).
    Shared& kept =
        *std::min_element(shared_.begin(), shared_.end(),
                          [](const Shared& a, const Shared& b) { return a.lastUse < b.lastUse; });
    hint = std::size_t(&kept - shared_.data());
    kept.lastUse = uses_;
    kept.at = record.at;
    kept.typeIndex = record.typeIndex;
    kept.invalid.clear();
    const RecordLayout& layout = rules_.layouts().at(record.typeIndex);
    for (const RecordLayout::CheckedField& field : layout.checkedFields()) {
        const std::string_view value = field.value(record.line);
        if (!checkFieldValue(field.checks, value))
            kept.invalid.emplace_back(field.index, std::string(value));
    }
    return kept;
}

void CheckVisitor::addShared(const std::vector<SharedRecord>& records, std::size_t firstHint) {
    std::size_t hint = firstHint;
    for (const SharedRecord& record : records)
        for (const auto& [field, value] :
             shared(record, hints_[std::min(hint++, hints_.size() - 1)]).invalid)
            ClaimRows::addInvalid(where_, record.typeIndex, 1, field, value, rows_);
}

void CheckVisitor::endClaim(const PassClaim& claim) {
    ChunkFindings& out = *chunk_;
    const TotalsVerdict totals = rules_.check(claim.records->totals, claim.xa0, false);
    where_.position = claim.position;
    rows_.clear();
    claimRows_.addTotals(totals, where_, rows_);
    addShared(*claim.above, 0);
    if (reordered_)
        std::stable_sort(invalid_.begin(), invalid_.end(),
                         [](const Invalid& a, const Invalid& b) { return a.node < b.node; });
    for (const Invalid& i : invalid_)
        ClaimRows::addInvalid(where_, i.typeIndex, i.occurrence, i.field,
                              std::string_view(values_).substr(i.value, i.valueLength), rows_);
    addShared(*claim.below, kBelowHints);
    ClaimRows::addFieldless(totals, claim.unreadable, where_, rows_);
    // A claim that could not be read is no claim to weigh by rules.
    if (editor_ && claim.unreadable)
        editor_->forget();
    else if (editor_)
        editor_->finish(claim, kindsOfLastClaim(), rows_);

    ChunkFindings::Claim found;
    found.position = claim.position;
    found.number = claimLines_[0];
    claimLines_[0] = claimLines_[1];
    claimsOpen_ = claimsOpen_ ? claimsOpen_ - 1 : 0;
    found.text = out.keep(claim.text);
    found.textLength = std::uint32_t(claim.text.size());
    found.firstRow = std::uint32_t(out.rows.size());
    found.rowCount = std::uint32_t(rows_.size());
    found.totals = totals.state;
    found.xa0Present = totals.xa0Present;
    found.unreadable = claim.unreadable;
    out.claims.push_back(found);
    for (const ProblemRow& row : rows_)
        out.rows.push_back({row.problem, out.keep(row.value), std::uint32_t(row.value.size())});
    invalid_.clear();
    values_.clear();
    nodes_ = 0;
    reordered_ = false;
}

void CheckVisitor::forgetClaim() {
    if (editor_)
        editor_->forget();
    claimLines_[0] = claimLines_[1];
    claimsOpen_ = claimsOpen_ ? claimsOpen_ - 1 : 0;
    rows_.clear();
    invalid_.clear();
    values_.clear();
    nodes_ = 0;
    reordered_ = false;
}

std::uint32_t CheckVisitor::kindsOfLastClaim() const {
    std::uint32_t kinds = 0;
    for (const ProblemRow& row : rows_)
        kinds |= 1u << unsigned(row.problem.kind);
    return kinds;
}

void CheckVisitor::tell(ChunkFindings::LineKind kind, std::string_view line,
                        std::int64_t position) {
    ChunkFindings& out = *chunk_;
    ChunkFindings::Line found;
    found.kind = kind;
    found.number = out.lineCount;
    found.position = position;
    found.before = out.tally;
    switch (kind) {
    case ChunkFindings::LineKind::Batch: {
        NodeText text;
        const std::string_view words = text.make('B', line);
        found.text = out.keep(words);
        found.textLength = std::uint32_t(words.size());
        break;
    }
    case ChunkFindings::LineKind::BatchTrailer:
    case ChunkFindings::LineKind::FileTrailer:
        found.text = out.keep(line);
        found.textLength = std::uint32_t(line.size());
        break;
    case ChunkFindings::LineKind::UnknownType:
        found.found = Problem::packType(line.substr(0, 3));
        break;
    case ChunkFindings::LineKind::Short:
        found.found = std::int64_t(line.size());
        // Past those that can be listed, only counted; the last kept aside.
        if (out.shortLinesKept++ >= ChunkFindings::kShortLinesKept) {
            ++out.shortLinesCounted;
            out.lastShortLine = found;
            return;
        }
        break;
    case ChunkFindings::LineKind::FileHeader:
        break;
    }
    out.lines.push_back(found);
}

void CheckVisitor::line(std::string_view line, std::int64_t lineStart) {
    ChunkFindings& out = *chunk_;
    ++out.lineCount;
    std::int64_t position = lineStart;
    if (!takeRecordLine(line, position)) {
        tell(ChunkFindings::LineKind::Short, line, lineStart);
        return;
    }
    // Only the lines that tell the structure are kept: what the lines before
    // each hold is copied for those alone.
    const int type = recordTypeIndex(line.substr(0, 3));
    if (type == ca0_) {
        // A claim begins here: its line goes with it.
        claimLines_[std::min<std::size_t>(claimsOpen_++, 1)] = out.lineCount;
    } else if (type == ba0_) {
        tell(ChunkFindings::LineKind::Batch, line, position);
    } else if (type == ya0_ || type == za0_) {
        tell(type == ya0_ ? ChunkFindings::LineKind::BatchTrailer
                          : ChunkFindings::LineKind::FileTrailer,
             line, position);
    } else if (type == aa0_) {
        tell(ChunkFindings::LineKind::FileHeader, line, position);
    } else if (type < 0) {
        tell(ChunkFindings::LineKind::UnknownType, line, position);
    }

    LineTally& tally = out.tally;
    ++tally.records;
    if (line[0] >= 'C' && line[0] <= 'H')
        ++tally.claimRecords;
    if (type == fa0_) {
        ++tally.serviceLines;
        if (chargesNumeric_) {
            const std::string_view value = trimSpaces(fa0Layout_.value(charges_, line));
            if (const auto charge = parseInteger(value, std::numeric_limits<std::int64_t>::min(),
                                                 std::numeric_limits<std::int64_t>::max()))
                tally.charges += *charge;
            else if (isNumberText(value) && value.find('.') == std::string_view::npos)
                ++tally.hugeCharges; // a whole number, beyond 64 bits
        }
    } else if (type == ca0_) {
        ++tally.claims;
    } else if (type == ba0_) {
        ++tally.batches;
    }
}

} // namespace qm
