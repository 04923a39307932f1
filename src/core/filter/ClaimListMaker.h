#pragma once

#include "core/filetree/NodeText.h"
#include "core/filter/FilterChunk.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

class LayoutCatalogue;
class RecordLayout;
struct PassClaim;

// One worker's claim list rows, claim after claim of a claim pass: the
// patient and control number from the CA0, the service lines, their first
// date and their charges from the FA0 records, the stated total from the
// XA0, and the provider from the batch shown above the claim. Nothing is
// allocated per claim. Not for two threads at once.
class ClaimListMaker {
public:
    explicit ClaimListMaker(const LayoutCatalogue& layouts);

    // A record of the current claim, as ClaimVisitor::record has it.
    void record(int typeIndex, int occurrence, std::string_view line);
    // The claim has ended: its row goes into chunk, its texts into chunk's
    // pool. Then ready for the next claim.
    void finish(const PassClaim& claim, FilterChunk& chunk, FilterChunk::Row& entry);
    // The claim has ended without a row.
    void forget();
    // A chunk begins: forgets the claim begun (a chunk cut short) and the
    // provider kept in the chunk before.
    void reset();

private:
    const int ca0_, fa0_, xa0_, ba0_;
    const RecordLayout& fa0Layout_;
    const RecordLayout& xa0Layout_;
    const int serviceDate_, lineCharges_, statedField_; // -1: the map lacks it

    std::string ca0Line_; // the patient's names are worded only for a claim listed
    std::int32_t firstService_ = 0;
    std::int32_t lines_ = 0;
    std::int64_t linesTotal_ = 0;
    bool hasStatedTotal_ = false;
    std::int64_t statedTotal_ = 0;
    // The provider kept last in the chunk, for the claims of its batch after it.
    std::int64_t providerBatch_ = -1;
    std::uint32_t providerAt_ = 0;
    std::uint16_t providerLength_ = 0;
    NodeText text_;
};

} // namespace qm
