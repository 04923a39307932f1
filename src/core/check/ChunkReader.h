#pragma once

#include "core/check/ChunkPlan.h"
#include "core/check/ClaimVisitor.h"
#include "core/claim/ClaimLoop.h"
#include "core/claim/RecordSplitter.h"
#include "core/filetree/NodeText.h"
#include "core/io/SequentialFile.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class ClaimRules;
class LayoutCatalogue;

// The second reading of a claim pass, one chunk at a time on one worker:
// every claim that begins in the chunk, read to its end (past the chunk's
// end if need be) with exactly the records a click on it reads, handed to
// the worker's visitor.
class ChunkReader {
public:
    struct Settings {
        // The visitor also sees every line that begins in the chunk.
        bool everyLine = false;
        // Called with a claim's position before it is read (the reader's seam).
        std::function<void(std::int64_t)> claimHook;
    };

    ChunkReader(const SequentialFile& file, const ChunkPlan& plan, const ClaimRules& rules,
                ClaimVisitor& visitor, const Settings& settings);

    void read(std::size_t index, const std::atomic<bool>& cancel);

private:
    struct Claim {
        std::int64_t position = 0;
        NodeText nodeText;     // where its text is put together
        std::string_view text; // in nodeText
        ChunkPlan::Context context;
        ClaimLoop loop;
        std::optional<RecordSplitter> splitter;
        // Node numbers by type and occurrence (0: none yet), and the entries set.
        std::array<std::uint16_t, kRecordTypeCount*(kMaxOccurrence + 1)> nodeOf{};
        std::vector<std::size_t> nodeSlots;
        std::string xa0; // the claim's own XA0 record
        bool hasXa0 = false;
    };

    void readClaims(std::size_t index, const std::atomic<bool>& cancel);
    void start(const ChunkPlan::Context& context, std::int64_t position, std::string_view record);
    void process(std::string_view record);
    void finish(std::int64_t after, bool endOfFile);
    // The records a claim shows above its own: file header, batch, BA1.
    const std::vector<SharedRecord>& above(const ChunkPlan::Context& context);
    // The trailers a claim shows below its own records.
    const std::vector<SharedRecord>& below(std::int64_t after);

    const ChunkPlan& plan_;
    const ClaimRules& rules_;
    const LayoutCatalogue& layouts_;
    ClaimVisitor& visitor_;
    const Settings& settings_;
    const RecordSplitter keys_; // node keys of the trailers: first of their type
    SequentialFile lines_;
    SequentialFile records_;
    Claim claim_;
    bool active_ = false;

    // The shared records of the last batch and trailers asked for, with their
    // lines, and whether one of them was not where the file had it.
    std::int64_t aboveOf_ = -2; // the batch they belong to
    std::array<std::string, 3> aboveLines_;
    std::vector<SharedRecord> above_;
    bool aboveUnreadable_ = false;
    std::array<std::int64_t, 2> belowOf_{-1, -1};
    // The claim ends it was found for: from one to the first trailer after it.
    std::int64_t belowFrom_ = 0;
    std::int64_t belowUntil_ = 0;
    bool belowRead_ = false;
    std::array<std::string, 2> belowLines_;
    std::array<std::string, 2> belowKeys_;
    std::vector<SharedRecord> below_;
    bool belowUnreadable_ = false;
};

} // namespace qm
