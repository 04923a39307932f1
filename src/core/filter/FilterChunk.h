#pragma once

#include "core/filter/ClaimListRow.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// What a worker of a filtered check found in one chunk, kept until the
// chunk's turn comes to be handed on: for each of its claims, in file order,
// whether it matched and its batch, and, when the claim list is asked for,
// the rows of those that matched. Texts lie in one pool. Workers fill
// neighbouring chunks at once, each on cache lines of its own.
struct alignas(64) FilterChunk {
    // Small: millions of claims pass through, most of them left out.
    struct Claim {
        std::int64_t position = 0;       // of its CA0
        std::int64_t batchPosition = -1; // of its batch's BA0
        std::int32_t problems = 0;       // its rows of the check
        std::int32_t row = -1;           // in rows; -1: none
        bool matched = false;
    };
    struct Row {
        std::int32_t firstService = 0;
        std::int32_t lines = 0;
        bool hasStatedTotal = false;
        std::int64_t statedTotal = 0;
        std::int64_t linesTotal = 0;
        std::uint32_t patient = 0; // in the pool, and the lengths
        std::uint32_t controlNumber = 0;
        std::uint32_t provider = 0;
        std::uint16_t patientLength = 0;
        std::uint16_t controlNumberLength = 0;
        std::uint16_t providerLength = 0;
    };

    std::vector<Claim> claims;
    std::vector<Row> rows;
    std::string pool;

    void clear() {
        claims.clear();
        rows.clear();
        pool.clear();
    }
    std::uint32_t keep(std::string_view bytes) {
        const auto at = std::uint32_t(pool.size());
        pool.append(bytes);
        return at;
    }
    std::string_view text(std::uint32_t at, std::uint16_t length) const {
        return std::string_view(pool).substr(at, length);
    }
    // A claim of this chunk as the claim list words it (texts and figures
    // only when it has a row); its texts point into the pool.
    ClaimListRow listRow(const Claim& claim, std::int64_t index) const {
        ClaimListRow row;
        row.index = index;
        row.position = claim.position;
        row.batchPosition = claim.batchPosition;
        row.problems = claim.problems;
        if (claim.row < 0)
            return row;
        const Row& r = rows[std::size_t(claim.row)];
        row.patient = text(r.patient, r.patientLength);
        row.controlNumber = text(r.controlNumber, r.controlNumberLength);
        row.provider = text(r.provider, r.providerLength);
        row.firstService = r.firstService;
        row.lines = r.lines;
        row.hasStatedTotal = r.hasStatedTotal;
        row.statedTotal = r.statedTotal;
        row.linesTotal = r.linesTotal;
        return row;
    }
};

} // namespace qm
