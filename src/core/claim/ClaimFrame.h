#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qm {

class TrailerIndex;

// Which records stand around a node's own in the claim form: above it the
// file header, the batch header and the batch's second line (BA1), below a
// claim's records its batch and file trailers, each with the claim form node
// it hangs under. A click on any node and the whole-file pass both frame a
// claim by this one rule.
class ClaimFrame {
public:
    enum class Node { FileHeader, Batch, Claim };

    struct Record {
        std::string_view type;
        std::int64_t position = 0; // where the record's line begins
        std::string_view parent;   // "" for a root
        // A BA1 is the line right after the batch header at `position`
        // (BatchSecondLine), shown only when it is one; every other record
        // of a frame must be one of its type, or the file has changed.
        bool lookUp = false;
    };

    // The records above a node. header and batch are the record positions
    // of the node's file header and batch (for a file header node its own,
    // for a batch its own and its parent's, for a claim its parent's and
    // grandparent's), -1 where the tree gives it none.
    static ClaimFrame above(Node node, std::int64_t header, std::int64_t batch);
    // The trailers below a claim whose records end before `after`.
    static ClaimFrame below(const TrailerIndex& trailers, std::int64_t after);
    // The same trailers as a scan after the claim finds them, by type.
    static constexpr Record kBatchTrailer{"YA0", 0, "BA0", false};
    static constexpr Record kFileTrailer{"ZA0", 0, "AA0", false};

    const Record* begin() const { return records_.data(); }
    const Record* end() const { return records_.data() + count_; }

private:
    void add(const Record& record) { records_[static_cast<std::size_t>(count_++)] = record; }

    std::array<Record, 3> records_{};
    int count_ = 0;
};

} // namespace qm
