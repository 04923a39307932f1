#pragma once

#include "core/check/ChunkStatistics.h"
#include "core/check/ClaimVisitor.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace qm {

class ClaimRules;
class RecordLayout;

// One worker's part of the file statistics: it adds up what the lines and
// claims the whole-file check reads hold, by chunk.
class StatisticsVisitor : public ClaimVisitor {
public:
    // A money field's value: whole cents, a whole number too large for 64
    // bits, or no number.
    struct Amount {
        enum class State { None, Cents, TooLarge };
        State state = State::None;
        std::int64_t cents = 0; // too large: the least or the greatest there is
        void addTo(FileStatistics::Sum& sum) const {
            if (state == State::Cents)
                sum.add(cents);
            else if (state == State::TooLarge)
                sum.addTooLarge();
        }
    };

    StatisticsVisitor(const ClaimRules& rules, std::vector<ChunkStatistics>& chunks);

    void beginChunk(std::size_t chunk) override;
    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override;
    void endClaim(const PassClaim& claim) override;
    void line(std::string_view line, std::int64_t lineStart) override;

    // A code's bytes packed with its length, and back; codes over seven
    // bytes keep their first seven.
    static std::uint64_t packCode(std::string_view code);
    static std::string unpackCode(std::uint64_t packed);
    // Field `field` (-1: the map lacks it) of line as an amount.
    static Amount amount(const RecordLayout& layout, int field, std::string_view line);

private:
    // Where a claim's CA0 line was: its part of the chunk, and whether that
    // part's batch was still open.
    struct ClaimPlace {
        std::int64_t position = -1;
        std::size_t part = 0;
        bool inBatch = false;
    };

    std::vector<ChunkStatistics>& chunks_;
    ChunkStatistics* chunk_ = nullptr;
    int firstDate_ = 0; // the current claim's earliest date of service, as CCYYMMDD; 0: none
    // The last CA0 line and the one before: a claim ends after the line of
    // the CA0 that ends it has been seen.
    ClaimPlace lastClaim_, claimBefore_;

    const int ba0_, ca0_, fa0_, xa0_, ya0_, za0_;
    const RecordLayout& fa0Layout_;
    const RecordLayout& xa0Layout_;
    const int serviceDate_, procedure_, lineCharges_, claimCharges_; // -1: the map lacks it
};

} // namespace qm
