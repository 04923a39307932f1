#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qm {

class RecordSplitter;

// A record the claim form shows with a claim without it being one of the
// claim's own: the file header, the batch header and its second line (shown
// above the claim), the batch and file trailers (below it). Many claims show
// the same one; `at` tells which it is.
struct SharedRecord {
    std::int64_t at = 0; // where it was read: the same for every claim that shows it
    int typeIndex = -1;
    std::string_view key;  // its claim form node key
    std::string_view line; // as a click reads it
};

// A claim of the claim pass, as it ends.
struct PassClaim {
    std::int64_t position = 0; // of its CA0 record: the file tree key is "CA0" + position
    std::string_view text;     // its file tree node text (file bytes)
    // The claim's own records as split: their occurrences, node keys and totals.
    const RecordSplitter* records = nullptr;
    const std::string_view* xa0 = nullptr;            // the claim's own XA0 record, or null
    const std::vector<SharedRecord>* above = nullptr; // AA0, BA0, BA1, as a click finds them
    const std::vector<SharedRecord>* below = nullptr; // YA0, ZA0
    // The claim could not be read as the file had it: the file ended inside
    // it because it shrank while it was read, or a record shown with it (a
    // header, a trailer) is no longer where the file had it.
    bool unreadable = false;
};

// What one worker of the claim pass does with the claims it reads: each
// worker has a visitor of its own, and the claims of one chunk reach it in
// file order, the records of one claim in the order a click reads them.
class ClaimVisitor {
public:
    virtual ~ClaimVisitor() = default;

    // The claims of chunk `chunk` (chunks are numbered in file order) follow.
    virtual void beginChunk(std::size_t chunk) = 0;
    // The chunk begun last is done with (read to its end, or cancelled).
    virtual void endChunk() {}
    // A record of the current claim, CA0 first, stored in occurrence
    // `occurrence` of its type and shown by claim form node number `node`
    // (nodes numbered in the order a click adds them). A second record of a
    // type that does not repeat takes the first one's place: it comes with
    // that node's number again. Records with no place (a 100th of one type)
    // do not come.
    virtual void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) = 0;
    // The current claim has ended.
    virtual void endClaim(const PassClaim& claim) = 0;
    // With ClaimPass::Options::everyLine: every line that begins in the
    // current chunk, as read, and where it begins; in file order, each
    // before the claim records read from it.
    virtual void line(std::string_view, std::int64_t) {}
};

} // namespace qm
