#pragma once

#include "core/claim/TotalsVerdict.h"
#include "core/layouts/LayoutCatalogue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One record of an assembled claim: the raw line and every field's value
// (a run of the line) and check verdict, by the layouts the claim was read with.
struct AssembledRecord {
    struct Field {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        bool valid = false;
    };
    std::string type;
    int occurrence = 1; // 1 to 99
    // The click read the record's line. A record it listed but could not read
    // (the file changed under the tree) has no line and no values.
    bool read = true;
    std::string line; // as read, up to RecordStore::kMaxStoredLine characters
    bool lineCut = false;
    std::vector<Field> fields; // one per field of the type's layout, in layout order

    std::string_view value(int field) const {
        const Field& f = fields[static_cast<std::size_t>(field)];
        return std::string_view(line).substr(f.offset, f.length);
    }
    bool valid(int field) const { return fields[static_cast<std::size_t>(field)].valid; }
};

// A node of the claim form's record tree: its key (also its text), the key of
// its parent (empty for a root), and the record it shows.
struct ClaimNode {
    std::string key;
    std::string parent;
    int record = -1; // index into AssembledClaim::records
};

// What a click on a file tree node yields: the records it read, as the claim
// form shows them, and for a claim the verdict on its trailer totals. A value:
// it holds the layouts it was read with and may be kept and passed anywhere.
struct AssembledClaim {
    bool acted = false; // the node was a file header, batch or claim
    // "AA0", "BA0" or "CA0": the type of the file tree node clicked, whose
    // record the claim form selects.
    std::string clickedType;
    // A claim whose CA0 record is no longer where the tree found it.
    bool unreadable = false;
    std::shared_ptr<const LayoutCatalogue> layouts;
    std::vector<ClaimNode> nodes; // in insertion order
    std::vector<AssembledRecord> records;
    TotalsVerdict totals;

    const ClaimNode* node(std::string_view key) const;
    const AssembledRecord* record(const ClaimNode& node) const;
    // The record a node key names: its type's record of that occurrence.
    const AssembledRecord* record(std::string_view nodeKey) const;

    // The record type and occurrence a node key names: "FA0-2" the second
    // FA0, a plain key the first; occurrence 0 when the number after "-" is
    // none from 1 to 99.
    static void parseKey(std::string_view key, std::string_view& type, int& occurrence);
    // The layout a record was cut by (never null for a record of this claim).
    const RecordLayout* layout(const AssembledRecord& record) const;
};

} // namespace qm
