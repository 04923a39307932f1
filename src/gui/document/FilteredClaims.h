#pragma once

#include "core/filter/ClaimListRow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {
class FileTree;
}

// Claims a filter chose, as a pass over the file hands them on: each with
// its node in the tree and, when the pass words them, its claim list's
// figures. A claim's key, patient, control number and provider are the
// tree's, read from it when asked: ten million rows keep 40 bytes each and
// no text. Only a claim the tree lacks (the file changed under it) keeps
// its place and texts beside.
struct FilteredClaims {
    struct Row {
        std::int64_t node = -1; // in tree; -1: not in it
        std::int64_t statedTotal = 0;
        std::int64_t linesTotal = 0;
        std::int32_t firstService = 0;
        std::int32_t lines = 0;
        std::int32_t problems = 0;
        bool hasStatedTotal = false;
    };
    // Where row(i) puts the texts it words.
    struct Texts {
        std::string patient;
        std::string provider;
    };

    // The tree the nodes are of (null: none).
    std::shared_ptr<const qm::FileTree> tree;
    std::vector<Row> rows;

    FilteredClaims() = default;
    explicit FilteredClaims(std::shared_ptr<const qm::FileTree> claimsTree)
        : tree(std::move(claimsTree)) {}

    std::size_t size() const { return rows.size(); }

    // Adds a row, node its claim's node in tree (-1: none).
    void add(const qm::ClaimListRow& row, std::int64_t node);
    // Takes other's rows (of the same tree) after these.
    void append(const FilteredClaims& other);
    // Row i's claim's position: its key is "CA0" and the position.
    std::int64_t position(std::size_t i) const;
    // Row i as the engine words it; its texts point into texts or the tree.
    qm::ClaimListRow row(std::size_t i, Texts& texts) const;
    // The same for a row whose claim is node of tree (row.node >= 0).
    static qm::ClaimListRow row(const Row& row, const qm::FileTree& tree, Texts& texts);

private:
    struct Loose {
        std::size_t row = 0;
        std::int64_t position = 0;
        std::int64_t batchPosition = -1;
        std::string patient;
        std::string controlNumber;
        std::string provider;
    };
    const Loose* loose(std::size_t i) const;
    // A row's figures, nothing else.
    static qm::ClaimListRow figures(const Row& row);

    std::vector<Loose> loose_; // by row
};
