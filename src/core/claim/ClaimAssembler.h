#pragma once

#include "core/claim/AssembledClaim.h"
#include "core/claim/RecordSplitter.h"
#include "core/layouts/RecordStore.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class SequentialFile;
class TrailerIndex;

// Reads the records of one node click into a record store of its own and
// collects the claim form's nodes; result() turns them into an AssembledClaim.
class ClaimAssembler {
public:
    // trailers may be null; it is used only while it describes this very file.
    ClaimAssembler(std::shared_ptr<const LayoutCatalogue> layouts, SequentialFile& file,
                   const TrailerIndex* trailers);

    // Reads the line at a 1-based position and splits it as recordType. False
    // when the position lies at or beyond the end of the file (nothing stored).
    bool ReadRecordAt(std::int64_t position, std::string_view recordType);
    // The same for a record the tree found there: false, and nothing stored,
    // unless the line there is still a record of that type.
    bool readRecordOfType(std::int64_t position, std::string_view recordType);
    // The claim's records could not all be read where the tree had them.
    void markUnreadable() { unreadable_ = true; }
    // Cuts a line into the type's fields: its next occurrence, stored, summed.
    RecordSplitter::Split SplitRecord(std::string_view line, std::string_view recordType);
    // Reads the claim from its CA0 line to its end, then its trailers.
    void AssembleClaim(std::int64_t position);
    // Reads only the claim's own records, from its CA0 line to its end; false
    // when the file ends inside the claim.
    bool readClaim(std::int64_t position);

    // Adds a claim form node unless its key is there already; a parent that is
    // not in the tree makes it a root. The node shows the record its key names.
    void addNode(const std::string& key, const std::string& parent);

    // What this click has read so far.
    const RecordStore& store() const { return store_; }

    // The nodes with their records, by the store as this click left it; for
    // a claim (checkTotals) also the totals verdict, marked on the XA0's fields.
    AssembledClaim result(std::string clickedType, bool checkTotals) const;

private:
    void process(std::string_view line, std::string_view recordType, std::string_view parent);
    void trailerScan();
    bool indexUsable() const;
    AssembledRecord storedRecord(int typeIndex, int occurrence) const;

    std::shared_ptr<const LayoutCatalogue> layouts_;
    RecordStore store_;
    SequentialFile& file_;
    const TrailerIndex* trailers_;
    ClaimRules rules_;
    RecordSplitter splitter_;
    std::vector<ClaimNode> nodes_;
    std::set<std::string> keys_;
    bool xa0Read_ = false;    // the claim's own XA0 is in the store
    bool unreadable_ = false; // a record of the claim is not where the tree had it
};

} // namespace qm
