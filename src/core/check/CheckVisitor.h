#pragma once

#include "core/check/ChunkFindings.h"
#include "core/check/ChunkFindingsPool.h"
#include "core/check/ClaimRows.h"
#include "core/check/ClaimVisitor.h"
#include "core/check/RuleCatalogue.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

class ClaimRules;
class RecordLayout;

// One worker's part of the whole-file check: for every claim it reads, the
// rows a click on the claim would give, and for every line of its chunks
// what the file's structure and trailers need; kept by chunk in findings
// until the chunk is handed on, in buffers taken from pool. A claim that
// passes costs no allocation.
class CheckVisitor : public ClaimVisitor {
public:
    CheckVisitor(const ClaimRules& rules, std::vector<ChunkFindings>& findings,
                 ChunkFindingsPool& pool);
    ~CheckVisitor() override;

    // The edits of rules files read along: each claim's rule rows follow
    // the check's own.
    void setEditor(std::unique_ptr<ClaimEditor> editor) { editor_ = std::move(editor); }

    void beginChunk(std::size_t chunk) override;
    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override;
    void endClaim(const PassClaim& claim) override;
    void line(std::string_view line, std::int64_t lineStart) override;

    // For what reads along with the check: the kinds of the rows of the
    // claim that ended last (bit 1 << Problem::Kind), and how many it has.
    std::uint32_t kindsOfLastClaim() const;
    std::size_t rowsOfLastClaim() const { return rows_.size(); }
    // The current claim has ended, and what the check finds in it is not
    // wanted (a claim list leaves it out): it is forgotten unchecked, and
    // the chunk's findings do not hold it. Never for the whole-file check,
    // whose walk needs every claim.
    void forgetClaim();

private:
    // A value of the current claim's own records that fails its check.
    struct Invalid {
        std::size_t node;
        int typeIndex;
        int occurrence;
        int field;
        std::uint32_t value; // in values_
        std::uint32_t valueLength;
    };
    // The failing values of a record many claims show, kept while claims show it.
    struct Shared {
        std::int64_t at = -1;
        int typeIndex = -1;
        std::uint64_t lastUse = 0;
        std::vector<std::pair<int, std::string>> invalid;
    };

    void addInvalid(int typeIndex, int occurrence, std::string_view line, std::size_t node);
    // A line that tells the file's structure, kept with what the lines before it hold.
    void tell(ChunkFindings::LineKind kind, std::string_view line, std::int64_t position);
    // The hints of the records from hints_[firstHint] on.
    void addShared(const std::vector<SharedRecord>& records, std::size_t firstHint);
    const Shared& shared(const SharedRecord& record, std::size_t& hint);

    const ClaimRules& rules_;
    const ClaimRows claimRows_;
    std::unique_ptr<ClaimEditor> editor_;
    std::vector<ChunkFindings>& findings_;
    ChunkFindingsPool& pool_;
    ChunkFindings* chunk_ = nullptr;

    std::vector<Invalid> invalid_; // the current claim's, in the order read
    std::string values_;           // their values
    std::size_t nodes_ = 0;        // nodes the current claim has so far
    bool reordered_ = false;
    std::vector<ProblemRow> rows_; // the ended claim's, while they are made
    // The line numbers of the CA0 lines of the claims begun and not ended,
    // first the oldest: one, or two while a claim ends at the next one's CA0.
    std::array<std::int64_t, 2> claimLines_{};
    std::size_t claimsOpen_ = 0;
    Problem where_;
    std::array<Shared, 8> shared_;
    // Where in shared_ each record a claim shows was last found: those above
    // it (AA0, BA0, BA1) from 0, those below (YA0, ZA0) from kBelowHints.
    static constexpr std::size_t kBelowHints = 3;
    std::array<std::size_t, 6> hints_{};
    std::uint64_t uses_ = 0;

    // Record types the lines are told apart by, and the FA0 line charge.
    const int aa0_, ba0_, ca0_, fa0_, ya0_, za0_;
    const RecordLayout& fa0Layout_;
    int charges_ = -1; // FA0 13.0 in its layout; -1: the map lacks it
    bool chargesNumeric_ = false;
};

} // namespace qm
