#include "gui/document/FilteredClaims.h"

#include "core/filetree/FileTree.h"

#include <algorithm>

namespace {

constexpr std::string_view kBatch = "BA0";
// A batch's text in the tree: "BA0: " and its provider.
constexpr std::size_t kBatchTextLead = 5;

} // namespace

void FilteredClaims::add(const qm::ClaimListRow& row, std::int64_t node) {
    Row kept;
    kept.node = tree ? node : -1;
    kept.statedTotal = row.statedTotal;
    kept.linesTotal = row.linesTotal;
    kept.firstService = row.firstService;
    kept.lines = row.lines;
    kept.problems = row.problems;
    kept.hasStatedTotal = row.hasStatedTotal;
    if (kept.node < 0)
        loose_.push_back(Loose{rows.size(), row.position, row.batchPosition,
                               std::string(row.patient), std::string(row.controlNumber),
                               std::string(row.provider)});
    rows.push_back(kept);
}

void FilteredClaims::append(const FilteredClaims& other) {
    if (!tree)
        tree = other.tree;
    const std::size_t shift = rows.size();
    rows.insert(rows.end(), other.rows.begin(), other.rows.end());
    for (Loose kept : other.loose_) {
        kept.row += shift;
        loose_.push_back(std::move(kept));
    }
}

const FilteredClaims::Loose* FilteredClaims::loose(std::size_t i) const {
    const auto at =
        std::lower_bound(loose_.begin(), loose_.end(), i,
                         [](const Loose& kept, std::size_t row) { return kept.row < row; });
    return at != loose_.end() && at->row == i ? &*at : nullptr;
}

std::int64_t FilteredClaims::position(std::size_t i) const {
    if (rows[i].node >= 0)
        return tree->position(rows[i].node);
    const Loose* kept = loose(i);
    return kept ? kept->position : 0;
}

qm::ClaimListRow FilteredClaims::row(std::size_t i, Texts& texts) const {
    const Row& kept = rows[i];
    if (kept.node >= 0) {
        qm::ClaimListRow out = row(kept, *tree, texts);
        out.index = std::int64_t(i);
        return out;
    }
    qm::ClaimListRow out = figures(kept);
    out.index = std::int64_t(i);
    if (const Loose* place = loose(i)) {
        out.position = place->position;
        out.batchPosition = place->batchPosition;
        out.patient = place->patient;
        out.controlNumber = place->controlNumber;
        out.provider = place->provider;
    }
    return out;
}

qm::ClaimListRow FilteredClaims::row(const Row& kept, const qm::FileTree& tree, Texts& texts) {
    qm::ClaimListRow out = figures(kept);
    out.position = tree.position(kept.node);
    texts.patient = tree.patientName(kept.node);
    out.patient = texts.patient;
    out.controlNumber = tree.controlNumber(kept.node);
    const std::int64_t batch = tree.parent(kept.node);
    if (batch != qm::FileTree::kNoNode && tree.recordType(batch) == kBatch) {
        out.batchPosition = tree.position(batch);
        texts.provider = tree.text(batch);
        out.provider = std::string_view(texts.provider)
                           .substr(std::min(texts.provider.size(), kBatchTextLead));
    }
    return out;
}

qm::ClaimListRow FilteredClaims::figures(const Row& kept) {
    qm::ClaimListRow out;
    out.firstService = kept.firstService;
    out.lines = kept.lines;
    out.hasStatedTotal = kept.hasStatedTotal;
    out.statedTotal = kept.statedTotal;
    out.linesTotal = kept.linesTotal;
    out.problems = kept.problems;
    return out;
}

// Ten million rows are 400 MB at this size: a field more is felt.
static_assert(sizeof(FilteredClaims::Row) <= 40, "a claim list row grew");
