#pragma once

#include "core/check/FileCheck.h"
#include "core/check/Problem.h"
#include "core/check/RuleCatalogue.h"
#include "core/common/AscendingList.h"
#include "core/common/BlockArray.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class FileTree;

// The problems of one whole-file check, kept for whatever shows them: every
// row the check handed on, in file order (the rows of `check --json`'s flat
// list), and which claims of a file tree they belong to.
//
// Made for tens of millions of rows. A row is a few integers (kind, where,
// record, field, found, expected, positions), each kept as its difference
// from the row before in as few bytes as it needs: a row of a file's next
// claim takes five or six bytes; a rule's row adds its rule's number and
// severity, and holds the rules whose words it needs. Values' texts lie in one pool. Words, names
// and keys are made when asked (ProblemWords). Rows are appended in the order
// the check gives them, a few at a time, and read by number: from a mark
// every kMarkInterval rows on, or in order with a Reader.
//
// It numbers claims by the tree it was made with: a claim's rows belong to
// the tree's node at that claim's position, if the tree has one (a claim
// that is not there, because the file changed, has rows and no node).
class ProblemStore {
public:
    static constexpr std::int64_t kMarkInterval = 64;

    // A row as the store gives it back.
    struct Entry {
        Problem problem;
        std::string_view value;         // in the store's pool (file bytes)
        std::int64_t batchPosition = 0; // where problem.batch's BA0 begins; 0 for none
        std::int64_t claimNode = -1;    // the tree node of problem.claim; -1: none, or not there
        const RuleCatalogue* rules = nullptr; // the rules its rows of Kind::Rule name
        ProblemRow row() const { return {problem, value, rules}; }
    };

    // Rows gathered elsewhere (on a worker, as the check hands them on), to
    // be appended later a slice at a time.
    class Pending {
    public:
        void add(const ProblemRow& row, std::int64_t batchPosition, std::int64_t claimNode);
        std::size_t size() const { return rows_.size(); }
        // Row i as the store will give it back.
        Entry at(std::size_t i) const;
        bool empty() const { return rows_.empty(); }

    private:
        friend class ProblemStore;
        struct Row {
            Problem problem;
            std::int64_t batchPosition;
            std::int64_t claimNode;
            std::size_t value;
            std::size_t valueLength;
        };
        std::vector<Row> rows_;
        std::string pool_;
        std::shared_ptr<const RuleCatalogue> rules_;
    };

    // How many rows the store holds, and of what, as the check's summary
    // counts them.
    struct Counts {
        std::int64_t rows = 0;
        std::int64_t claims = 0;  // claims with a row
        std::int64_t batches = 0; // batches with a row of their own
        std::int64_t file = 0;    // rows of the file's own
    };

    explicit ProblemStore(std::shared_ptr<const FileTree> tree);
    ~ProblemStore();
    ProblemStore(const ProblemStore&) = delete;
    ProblemStore& operator=(const ProblemStore&) = delete;

    // The tree its claims are numbered by.
    const std::shared_ptr<const FileTree>& tree() const { return tree_; }

    // Appends a row, after those there are. batchPosition: where the BA0 of
    // the row's batch begins (0 for none); claimNode: the tree node of its
    // claim (-1 for none).
    void append(const ProblemRow& row, std::int64_t batchPosition, std::int64_t claimNode);
    // Appends rows [first, first + count) of pending (as many as it has).
    void append(const Pending& pending, std::size_t first, std::size_t count);
    // The check has ended with this summary (not after a cancel).
    void finish(const FileCheck::Summary& summary) { summary_ = summary; }
    // The summary of a check that ended, or nullptr while it runs, or when it was cancelled.
    const FileCheck::Summary* summary() const { return summary_ ? &*summary_ : nullptr; }

    std::int64_t size() const { return counts_.rows; }
    const Counts& counts() const { return counts_; }
    // Row `row` (0 <= row < size()).
    Entry at(std::int64_t row) const;

    // The rows in order from a row on, each for the cost of reading it.
    class Reader {
    public:
        explicit Reader(const ProblemStore& store, std::int64_t row = 0);
        // Goes to a row: on from where it is when the row lies ahead, near it.
        void seek(std::int64_t row);
        std::int64_t row() const { return row_; }
        bool atEnd() const { return row_ >= store_->size(); }
        // The row at row(), and on to the next.
        Entry next();

    private:
        friend class ProblemStore;
        struct State {
            std::int64_t claim = -1;
            std::int64_t node = -1;
            std::int64_t batch = -1;
            std::int64_t batchPosition = 0;
            std::int64_t position = 0;
            std::int64_t line = 0;
            std::uint64_t pool = 0;
        };
        const ProblemStore* store_;
        std::int64_t row_ = 0;
        std::uint64_t byte_ = 0;
        State state_;
    };

    // The claims of the tree that have rows, in node order: how many, the
    // node of the i-th, and how many lie before a node.
    std::int64_t claimNodeCount() const { return claimNodes_.size(); }
    std::int64_t claimNode(std::int64_t i) const { return claimNodes_[i]; }
    std::int64_t claimNodesBefore(std::int64_t node) const { return claimNodes_.countBelow(node); }
    // The rows of the claim at a tree node: [first, end), empty for a claim without.
    struct Range {
        std::int64_t first = 0;
        std::int64_t end = 0;
        bool empty() const { return first >= end; }
    };
    Range claimRows(std::int64_t node) const;

    // The rules its rows of Kind::Rule name (those of the check that filled
    // it), or nullptr.
    const std::shared_ptr<const RuleCatalogue>& rules() const { return rules_; }

    // The bytes the store holds.
    std::size_t memoryBytes() const;

private:
    using State = Reader::State;
    struct Mark {
        std::uint64_t byte;
        State state;
    };

    void putByte(std::uint8_t byte) { bytes_.push_back(byte); }
    void putNumber(std::uint64_t number);
    void putSigned(std::int64_t number);
    std::uint8_t byteAt(std::uint64_t at) const { return bytes_[at]; }
    std::uint64_t numberAt(std::uint64_t& at) const;
    std::int64_t signedAt(std::uint64_t& at) const;
    // Where a value of this length begins in the pool when the pool ends at
    // `end`: a value never spans two of its chunks.
    static std::uint64_t valueStart(std::uint64_t end, std::size_t length);
    // Puts a value's length in the row and its bytes at the pool's end.
    void putValue(std::string_view value);
    std::string_view valueAt(std::uint64_t start, std::size_t length) const;
    void count(const Problem& problem);

    std::shared_ptr<const FileTree> tree_;
    std::shared_ptr<const RuleCatalogue> rules_;
    BlockArray<std::uint8_t> bytes_;
    BlockArray<Mark, 10> marks_; // the state before every kMarkInterval-th row
    std::vector<std::unique_ptr<char[]>> pool_;
    State end_; // the state after the last row
    AscendingList claimNodes_;
    Counts counts_;
    std::int64_t countedClaim_ = -1;
    std::int64_t countedBatch_ = -1;
    std::optional<FileCheck::Summary> summary_;
};

} // namespace qm
