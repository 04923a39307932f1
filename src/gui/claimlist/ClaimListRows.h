#pragma once

#include "core/common/PackedRows.h"
#include "gui/document/FilteredClaims.h"

#include <cstdint>
#include <memory>
#include <vector>

// The claim list's rows as the list keeps them: each claim's node in the tree
// and its figures, bit-packed (ten million rows in tens of megabytes, not
// four hundred), with the rare claim the tree lacks kept whole beside them.
// Texts are the tree's, read when asked. A snapshot (a copy) shares what is
// packed, so a sort's workers read the rows it began with as more arrive.
class ClaimListRows {
public:
    // What a row holds, as numbers.
    enum Figure { Node, StatedTotal, HasStatedTotal, LinesTotal, FirstService, Lines, Problems };

    std::size_t size() const { return packed_.size(); }

    void append(const FilteredClaims& rows);
    void clear();

    std::int64_t figure(std::size_t row, Figure figure) const { return packed_.at(row, figure); }
    // "CA0" and this position is the row's key in the tree.
    std::int64_t position(std::size_t row) const;
    // The row as the engine words it (index aside); texts point into texts or the tree.
    qm::ClaimListRow words(std::size_t row, FilteredClaims::Texts& texts) const;

private:
    static constexpr int kFigures = Problems + 1;

    std::shared_ptr<const qm::FileTree> tree_;
    qm::PackedRows packed_{kFigures};
    // Rows whose claim the tree lacks (the file changed under it), whole,
    // and the row each is.
    FilteredClaims loose_;
    std::vector<std::size_t> looseRows_;
};
