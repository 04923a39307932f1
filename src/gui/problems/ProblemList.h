#pragma once

#include "core/check/FileCheck.h"
#include "core/check/Problem.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {
class FileTree;
class LayoutCatalogue;
} // namespace qm

// What can be wrong with a claim, the most serious first: a claim's mark is
// that of its most serious problem. The engine's claim kinds, by the same numbers.
enum class ProblemKind : std::uint8_t {
    TotalsDoNotCompute, // an XA0 field disagrees with the claim's records
    Unreadable,         // the file changed while the claim was read
    InvalidValue,       // a value failed its check
    CouldNotCheck,      // XA0 fields the totals check compares are missing or cannot be cut
    NoXa0,              // no XA0 of its own: nothing was compared
};
constexpr int kProblemKindCount = 5;
static_assert(int(ProblemKind::TotalsDoNotCompute) == int(qm::Problem::Kind::TotalsDoNotCompute) &&
                  int(ProblemKind::Unreadable) == int(qm::Problem::Kind::Unreadable) &&
                  int(ProblemKind::InvalidValue) == int(qm::Problem::Kind::InvalidValue) &&
                  int(ProblemKind::CouldNotCheck) == int(qm::Problem::Kind::CouldNotCheck) &&
                  int(ProblemKind::NoXa0) == int(qm::Problem::Kind::NoXa0),
              "a claim's kinds are the engine's");

// The claims of a file tree that have problems, kept compact for files of
// millions of claims: per claim its node and the kinds of its problems, per
// problem one small item (texts in one shared pool), and per file header and
// batch above such claims how many it holds. Claims come in tree order and
// are only ever added at the end, so every list is sorted by node.
//
// Rows list every problem of a claim, one item each, in the order the
// whole-file check gives them.
class ProblemList {
public:
    struct Item {
        std::uint64_t text = 0; // in the pool: the record's claim form node key, then the value
        // totals: the count or sum the claim's records give; a field that
        // could not be cut: the length of the line it did not fit in
        std::int64_t expected = 0;
        std::uint32_t claim = 0; // index of the claim
        std::uint16_t valueLength = 0;
        std::int16_t field = -1; // index in the record type's layout; -1: none
        ProblemKind kind = ProblemKind::NoXa0;
        std::uint8_t recordLength = 0;
    };

    // Claims with problems, by the kind of problem (a claim counts once for
    // each kind it has), and in all.
    struct Counts {
        std::uint32_t claims = 0;
        std::array<std::uint32_t, kProblemKindCount> byKind{};
        // The most serious kind counted; only when claims > 0.
        ProblemKind worst() const;
    };

    // The most serious of a claim's kinds (bits as claimKinds gives them; not 0).
    static ProblemKind worstOf(unsigned kinds);

    // The problems of claims gathered on a worker, to be appended to a list
    // on the GUI thread. Claims are numbered within the batch.
    class Batch {
    public:
        // Adds the claim at file tree node `node` with its rows (of a claim's
        // kinds); false when it has none.
        bool add(std::int64_t node, const qm::FileCheck::Rows& rows,
                 const qm::LayoutCatalogue* layouts);
        bool empty() const { return nodes_.empty(); }
        std::size_t claimCount() const { return nodes_.size(); }

    private:
        friend class ProblemList;
        void addItem(ProblemKind kind, std::string_view record, int field, std::string_view value,
                     std::int64_t expected);

        std::vector<std::int64_t> nodes_;
        std::vector<std::uint8_t> kinds_;
        std::vector<std::uint32_t> firstItems_;
        std::vector<Item> items_;
        std::string pool_;
    };

    // Copies claims [first, first + count) of a batch to the end of the list
    // (they must follow the claims already there) and counts them in their
    // file headers and batches.
    void append(const qm::FileTree& tree, const Batch& batch, std::size_t first, std::size_t count);
    // The file headers and batches whose mark the last append changed (they
    // had none, or now hold a more serious kind), in node order.
    const std::vector<std::int64_t>& remarkedContainers() const { return remarked_; }
    void clear();

    std::int64_t claimCount() const { return std::int64_t(claimNodes_.size()); }
    std::int64_t rowCount() const { return std::int64_t(items_.size()); }
    const Counts& totals() const { return totals_; }

    std::int64_t claimNode(std::int64_t claim) const { return claimNodes_[std::size_t(claim)]; }
    // The kinds of a claim's problems, bit k for ProblemKind k.
    unsigned claimKinds(std::int64_t claim) const { return claimKinds_[std::size_t(claim)]; }
    // A claim's rows: [firstRow, endRow).
    std::int64_t firstRow(std::int64_t claim) const { return firstRows_[std::size_t(claim)]; }
    std::int64_t endRow(std::int64_t claim) const;
    // The problem of a row.
    Item row(std::int64_t row) const;
    // The claim at a file tree node, or -1.
    std::int64_t findClaim(std::int64_t node) const;
    // The claims beneath a file header or batch, or nullptr when none has problems.
    const Counts* findContainer(std::int64_t node) const;
    // The first claim with problems after node, or the last before it; -1 when none.
    std::int64_t nextClaimNode(std::int64_t node) const;
    std::int64_t previousClaimNode(std::int64_t node) const;

    // The claim form node key of the record an item is about ("FA0-2"); empty when none.
    std::string_view record(const Item& item) const;
    // The value found there, as read (file bytes).
    std::string_view value(const Item& item) const;
    // The item as the engine's row, for the engine's words.
    qm::ProblemRow problemRow(const Item& item) const;

    // Sorted node numbers: the claims with problems, the file headers and
    // batches above them, and those of both that are roots of the tree.
    const std::vector<std::int64_t>& claimNodes() const { return claimNodes_; }
    const std::vector<std::int64_t>& containerNodes() const { return containerNodes_; }
    const std::vector<std::int64_t>& rootNodes() const { return rootNodes_; }

    // The bytes the list holds.
    std::size_t memoryBytes() const;

private:
    void countIn(std::int64_t container, unsigned kinds, const qm::FileTree& tree);

    std::vector<std::int64_t> claimNodes_;
    std::vector<std::uint8_t> claimKinds_;
    std::vector<std::uint32_t> firstRows_;
    std::vector<Item> items_;
    std::string pool_;
    std::vector<std::int64_t> containerNodes_;
    std::vector<Counts> containerCounts_;
    std::vector<std::int64_t> rootNodes_;
    std::vector<std::int64_t> remarked_;
    Counts totals_;
};
