#pragma once

#include "core/claim/NodeClick.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class SequentialFile;
class TrailerIndex;
struct Module1;

// Reads records of the open claim file into the record store and collects the
// claim form's nodes for one node click.
class ClaimAssembler {
public:
    // trailers may be null; it is used only while it describes this very file.
    ClaimAssembler(Module1& m, SequentialFile& file, const TrailerIndex* trailers);

    // Reads the line at a 1-based position and splits it as recordType. False
    // when the position lies at or beyond the end of the file (nothing stored).
    bool ReadRecordAt(std::int64_t position, std::string_view recordType);
    // Cuts a line into the type's fields, checks and stores them in the next
    // occurrence slot, and feeds the claim totals.
    void SplitRecord(std::string_view line, std::string_view recordType);
    // Reads the claim from its CA0 line to its end, then its trailers.
    void AssembleClaim(std::int64_t position);

    // Adds a claim form node unless its key is there already; a parent that is
    // not in the tree makes it a root.
    void addNode(const std::string& key, const std::string& parent);
    // The key of the record of this type split last: the type, or type-occurrence
    // for a repeating type. Empty when it has no slot (past the 99th).
    std::string nodeKey(std::string_view recordType) const;

    std::vector<ClaimFormNode>& nodes() { return nodes_; }

private:
    void process(std::string_view line, std::string_view recordType, const char* parent);
    void trailerScan();
    bool indexUsable() const;

    Module1& m_;
    SequentialFile& file_;
    const TrailerIndex* trailers_;
    std::vector<ClaimFormNode> nodes_;
    std::set<std::string> keys_;
};

} // namespace qm
