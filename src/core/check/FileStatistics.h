#pragma once

#include "core/check/Problem.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// A claim file's figures at a glance, gathered by the whole-file check as it
// reads the file: aggregates only, so that they stay small however many
// claims and batches the file holds. Money is in cents.
struct FileStatistics {
    // Money added up in 64 bits. The amounts above zero and those below are
    // added apart, so that whether a sum runs past the range never depends
    // on the order the amounts come in (the chunks of several workers);
    // past it, the sum is too large to add up and has no figure.
    class Sum {
    public:
        void add(std::int64_t cents) {
            std::int64_t& part = cents < 0 ? down_ : up_;
            tooLarge_ = tooLarge_ || __builtin_add_overflow(part, cents, &part);
        }
        void add(const Sum& other) {
            tooLarge_ = tooLarge_ || other.tooLarge_ ||
                        __builtin_add_overflow(up_, other.up_, &up_) ||
                        __builtin_add_overflow(down_, other.down_, &down_);
        }
        // A whole number too large for 64 bits was among the amounts.
        void addTooLarge() { tooLarge_ = true; }
        bool tooLarge() const { return tooLarge_; }
        // The sum; only when it is not too large (one part each way cannot overflow).
        std::int64_t cents() const { return up_ + down_; }
        // The amounts above zero alone, for ranking by a count that only grows.
        std::int64_t above() const { return up_; }
        // Ranked: a sum too large to add up above every figure.
        bool operator>(const Sum& other) const {
            if (tooLarge_ || other.tooLarge_)
                return tooLarge_ && !other.tooLarge_;
            return cents() > other.cents();
        }
        bool operator==(const Sum& other) const {
            return tooLarge_ == other.tooLarge_ && (tooLarge_ || cents() == other.cents());
        }

    private:
        std::int64_t up_ = 0;
        std::int64_t down_ = 0;
        bool tooLarge_ = false;
    };

    // What a batch, a provider or the file holds of money and claims.
    struct Money {
        Sum charges;     // the claims' stated totals: each claim's XA0 12.0
        Sum lineCharges; // the service lines' FA0 13.0, as the trailers add them up
        std::int64_t claimsWithoutXa0 = 0; // claims with no XA0 of their own

        void add(const Money& other) {
            charges.add(other.charges);
            lineCharges.add(other.lineCharges);
            claimsWithoutXa0 += other.claimsWithoutXa0;
        }
    };

    // A batch: what its lines from the BA0 to its end hold; it ends where the
    // whole-file check ends it: at its YA0 (which it holds), the next BA0 or
    // the file's first ZA0 (which it does not).
    struct Batch {
        std::int64_t index = 0;    // 0-based, in file tree order
        std::int64_t position = 0; // of its BA0: the file tree key is "BA0" + position
        std::string text;          // its file tree node text: the provider
        std::int64_t claims = 0;
        std::int64_t serviceLines = 0;
        std::int64_t records = 0;
        Money money;
        std::int64_t problems = 0;
    };
    // Every batch, in file order, as the check ends it, with its problems.
    class BatchSink {
    public:
        virtual ~BatchSink() = default;
        virtual void batch(const Batch& batch) = 0;
    };
    // The batches of one provider (by the batch's node text without its
    // "BA0: "), added up.
    struct Provider {
        std::string text;
        std::int64_t firstPosition = 0; // of its first batch's BA0
        std::int64_t batches = 0;
        std::int64_t claims = 0;
        Money money;
    };
    // Claims whose first valid date of service (the earliest FA0 05.0 that is
    // a calendar date) falls in a month.
    struct Month {
        int year = 0;
        int month = 0; // 1 to 12
        std::int64_t claims = 0;
    };
    // A procedure code (FA0 09.0, trimmed) and its service lines.
    struct Procedure {
        std::string code;
        std::int64_t serviceLines = 0;
        Sum charges; // FA0 13.0, summed
    };

    static constexpr std::size_t kTopProcedures = 10;
    // The batches kept in perBatch (every batch goes to a BatchSink).
    static constexpr std::size_t kBatchesKept = 30;
    // Procedure codes and providers counted one by one, at most: beyond it,
    // the codes are counted as heavy hitters and the most common ones again
    // exactly in a second reading; the providers' batches are counted together.
    static constexpr std::size_t kCountedOneByOne = 100000;
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
    Money money;                   // of every claim and every service line
    std::int64_t problems = 0;     // the check's rows
    std::array<std::int64_t, Problem::kKindCount> problemsByKind{};

    // Every batch when the file has at most kBatchesKept, else the
    // kBatchesKept with the most stated charges; in file order.
    std::vector<Batch> perBatch;
    std::vector<Provider> providers; // the most stated charges first
    // The batches of providers beyond the first kCountedOneByOne, together.
    Provider otherProviders;
    std::vector<Month> months;          // in order, months without claims left out
    std::int64_t claimsWithoutDate = 0; // no FA0 with a valid date of service
    std::array<std::int64_t, kChargeBins> chargeBins{};
    std::int64_t claimsWithoutCharges = 0; // no XA0, or its 12.0 is no number
    std::vector<Procedure> topByLines;     // at most kTopProcedures, the most lines first
    std::vector<Procedure> topByCharges;   // at most kTopProcedures, the most charges first
    // Distinct codes; with more than kCountedOneByOne, kCountedOneByOne and
    // moreProcedureCodes.
    std::int64_t procedureCodes = 0;
    bool moreProcedureCodes = false;
    // The top lists may miss a code with as many lines or charges as their
    // last: there were too many codes to be sure (their figures are exact).
    bool topProceduresApproximate = false;
};

} // namespace qm
