#include "gui/claimlist/ClaimListRows.h"

#include "core/filetree/FileTree.h"

#include <algorithm>

void ClaimListRows::append(const FilteredClaims& rows) {
    if (!tree_)
        tree_ = rows.tree;
    FilteredClaims::Texts texts;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FilteredClaims::Row& row = rows.rows[i];
        const std::int64_t node = row.node >= 0 && rows.tree == tree_ ? row.node : -1;
        if (node < 0) {
            looseRows_.push_back(size());
            loose_.add(rows.row(i, texts), -1);
        }
        const std::int64_t values[kFigures] = {node,           row.statedTotal,  row.hasStatedTotal,
                                               row.linesTotal, row.firstService, row.lines,
                                               row.problems};
        packed_.append(values);
    }
}

void ClaimListRows::clear() {
    tree_.reset();
    packed_.clear();
    loose_ = FilteredClaims();
    looseRows_.clear();
}

std::int64_t ClaimListRows::position(std::size_t row) const {
    const std::int64_t node = figure(row, Node);
    if (node >= 0)
        return tree_->position(node);
    FilteredClaims::Texts texts;
    return words(row, texts).position;
}

qm::ClaimListRow ClaimListRows::words(std::size_t row, FilteredClaims::Texts& texts) const {
    FilteredClaims::Row kept;
    kept.node = figure(row, Node);
    if (kept.node < 0) {
        const auto at = std::lower_bound(looseRows_.begin(), looseRows_.end(), row);
        if (at == looseRows_.end() || *at != row)
            return {};
        return loose_.row(std::size_t(at - looseRows_.begin()), texts);
    }
    kept.statedTotal = figure(row, StatedTotal);
    kept.hasStatedTotal = figure(row, HasStatedTotal) != 0;
    kept.linesTotal = figure(row, LinesTotal);
    kept.firstService = std::int32_t(figure(row, FirstService));
    kept.lines = std::int32_t(figure(row, Lines));
    kept.problems = std::int32_t(figure(row, Problems));
    return FilteredClaims::row(kept, *tree_, texts);
}
