#pragma once

#include "core/check/Problem.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// A claim file's figures at a glance, gathered by the whole-file check as it
// reads the file: aggregates only, so that they stay small however many
// claims the file holds. Money is in cents.
struct FileStatistics {
    // A batch: what its lines from the BA0 to its YA0 hold.
    struct Batch {
        std::int64_t index = 0;    // 0-based, in file tree order
        std::int64_t position = 0; // of its BA0: the file tree key is "BA0" + position
        std::string text;          // its file tree node text: the provider
        std::int64_t claims = 0;
        std::int64_t serviceLines = 0;
        std::int64_t records = 0;
        std::int64_t charges = 0; // XA0 12.0, summed
        std::int64_t problems = 0;
    };
    // The batches of one provider (by the batch's node text without its
    // "BA0: "), added up.
    struct Provider {
        std::string text;
        std::int64_t batches = 0;
        std::int64_t claims = 0;
        std::int64_t charges = 0;
    };
    // Claims whose first date of service (the earliest FA0 05.0) falls in a month.
    struct Month {
        int year = 0;
        int month = 0; // 1 to 12
        std::int64_t claims = 0;
    };
    // A procedure code (FA0 09.0, trimmed) and its service lines.
    struct Procedure {
        std::string code;
        std::int64_t serviceLines = 0;
        std::int64_t charges = 0; // FA0 13.0, summed
    };

    static constexpr std::size_t kTopProcedures = 10;
    // A file names at most this many procedure codes for the top ten; the
    // service lines of codes beyond it are counted apart.
    static constexpr std::size_t kMaxProcedureCodes = 100000;
    // The claim charge distribution's bins: below the first edge, from one
    // edge up to the next, and at or above the last.
    static constexpr std::array<std::int64_t, 8> kChargeEdges{10000,  25000,  50000,   100000,
                                                              250000, 500000, 1000000, 2500000};
    static constexpr std::size_t kChargeBins = kChargeEdges.size() + 1;
    static std::size_t chargeBin(std::int64_t cents) {
        std::size_t bin = 0;
        while (bin < kChargeEdges.size() && cents >= kChargeEdges[bin])
            ++bin;
        return bin;
    }

    std::int64_t batches = 0;      // BA0 records
    std::int64_t claims = 0;       // CA0 records
    std::int64_t serviceLines = 0; // FA0 records
    std::int64_t records = 0;      // lines that are records
    std::int64_t charges = 0;      // XA0 12.0 of every claim, summed
    std::int64_t problems = 0;     // the check's rows
    std::array<std::int64_t, Problem::kKindCount> problemsByKind{};

    std::vector<Batch> perBatch;        // in file order
    std::vector<Provider> providers;    // the most charges first
    std::vector<Month> months;          // in order, months without claims left out
    std::int64_t claimsWithoutDate = 0; // no FA0 with a date of service
    std::array<std::int64_t, kChargeBins> chargeBins{};
    std::int64_t claimsWithoutCharges = 0; // no XA0, or its 12.0 is no number
    std::vector<Procedure> topByLines;     // at most kTopProcedures, the most lines first
    std::vector<Procedure> topByCharges;   // at most kTopProcedures, the most charges first
    std::int64_t procedureCodes = 0;       // distinct codes counted
    std::int64_t linesOfUncountedCodes = 0;
};

} // namespace qm
