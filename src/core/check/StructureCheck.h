#pragma once

#include "core/check/CheckOutput.h"
#include "core/check/ChunkFindings.h"
#include "core/check/TrailerBalance.h"
#include "core/io/SequentialFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// The whole-file check's walk through the chunks' findings, in file order on
// the calling thread: it numbers the claims and batches as the file tree
// does, follows which batch is open, balances each batch trailer and the
// file trailer against the records beneath them, notes what is out of place
// in the file's structure, and hands everything to the consumer in file
// order, counting it in the summary.
//
// Structure rows: a batch that reaches the next BA0, the ZA0 or the end of
// the file without a YA0; a YA0 while no batch is open; a claim outside a
// batch; a second AA0; a record of none of the 32 types; a line too short to
// be a record (the first kShortLinesListed, then one row counting the rest),
// the last one included ("cut short"); records after the first ZA0; no ZA0.
// A file whose lines end in LF only reads as one line: that is its one row.
// Read with LF as the line end, it is checked as any other, and the row stays,
// a warning then (Problem::kLfReadAsLineEnd).
class StructureCheck {
public:
    static constexpr std::int64_t kShortLinesListed = 1000;

    StructureCheck(const SequentialFile& file, const LayoutCatalogue& layouts,
                   std::size_t chunkCount, bool lfOnly, CheckOutput::Consumer& consumer);

    // The findings of the next chunk in file order.
    void take(std::size_t chunk, const ChunkFindings& findings);
    // After the last chunk: what the end of the file decides. claimsFound:
    // the claims the file had when the check began.
    void finish(bool fileChanged, std::int64_t sizeAtStart, std::int64_t claimsFound);

    CheckOutput::Summary& summary() { return summary_; }
    // The rules whose rows the claims' findings hold (their words go with them).
    void setRules(const RuleCatalogue* rules) { rules_ = rules; }

private:
    struct OpenBatch {
        std::int64_t index = -1;
        std::int64_t position = 0;
        std::string text;
        LineTally tally;
    };

    void advance(const LineTally& lines);
    void claim(const ChunkFindings& findings, const ChunkFindings::Claim& claim, std::int64_t line);
    // Ends the open batch: the start of its trailer's verdict.
    CheckOutput::Trailer endBatch();
    // Ends it without a trailer, at the record of type endedBy (-1: the end of the file).
    void closeBatch(std::int64_t endedBy, std::int64_t position, std::int64_t line);
    // A trailer's balance: the open batch's, or the whole file's.
    void batchTrailer(const ChunkFindings::Line& line, std::string_view record,
                      std::int64_t number);
    void fileTrailer(const ChunkFindings::Line& line, std::string_view record, std::int64_t number);
    // The row of records after the first ZA0, once: before a line that is a
    // record, or when the lines before it hold one.
    void recordsAfterFileTrailer(bool lineIsRecord);
    // What one line of a chunk says of the file's structure.
    void takeLine(const ChunkFindings& findings, const ChunkFindings::Line& line,
                  std::int64_t number, bool lastChunk);
    static ProblemRow rowOf(Problem::Kind kind, Problem::Scope scope, std::int64_t position,
                            std::int64_t line, std::int64_t found = 0);
    // A row of the file's structure, handed on and counted.
    void structure(const ProblemRow& row);
    void structure(Problem::Kind kind, std::int64_t position, std::int64_t line,
                   std::int64_t found = 0);
    void count(const ProblemRow& row);
    CheckOutput::Rows rows() const { return {rows_.data(), rows_.size()}; }

    const SequentialFile& file_;
    const TrailerBalance batchBalance_;
    const TrailerBalance fileBalance_;
    const std::size_t chunkCount_;
    const bool lfOnly_;
    CheckOutput::Consumer& consumer_;
    const RuleCatalogue* rules_ = nullptr;
    CheckOutput::Summary summary_;
    std::vector<ProblemRow> rows_; // of the claim or trailer being handed on

    std::int64_t lineBase_ = 0; // lines before the current chunk
    LineTally total_;           // what every line so far holds
    std::int64_t claims_ = 0;
    std::int64_t batches_ = 0;
    OpenBatch batch_;
    bool batchOpen_ = false;
    bool fileHeaderSeen_ = false;
    // The first ZA0: where, and the records up to and with it.
    bool fileTrailerSeen_ = false;
    std::int64_t fileTrailerPosition_ = 0;
    std::int64_t fileTrailerLine_ = 0;
    std::int64_t recordsThroughFileTrailer_ = 0;
    bool recordsAfterTold_ = false;
    std::int64_t shortLines_ = 0;
    std::int64_t firstUnlistedPosition_ = 0;
    std::int64_t firstUnlistedLine_ = 0;
};

} // namespace qm
