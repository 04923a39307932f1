#pragma once

#include "FieldPlacer.h"
#include "GeneratorOptions.h"
#include "LineBuffer.h"
#include "Rng.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace nsfgen {

// Writes one NSF claim file: AA0, per batch BA0 [BA1] claims YA0, then ZA0.
// Every field goes to the columns the loaded map gives it; the claim trailer
// counts and sums what the claim really holds, and the batch and file
// trailers what their batch and the file hold (service lines, the claims'
// own records, claims, batches, line charges), unless a fault is asked for.
class NsfGenerator {
public:
    NsfGenerator(const qm::LayoutCatalogue& catalogue, const GeneratorOptions& options,
                 LineBuffer& out, std::FILE* summary);

    void run();
    // Values that did not fit their field (their low digits were written).
    int overflows() const { return overflows_; }

    enum class Trailer { Correct, WrongCharges, Missing };

    // What one claim holds; drawn at random or taken from the readable recipe.
    struct ClaimPlan {
        int payers = 1;
        bool ca1 = false;
        std::array<bool, 3> da2{};
        bool ea1 = false;
        std::vector<bool> fb0; // one entry per service line: FB0 follows its FA0
        bool gc0 = false;
        bool ha0 = false;
        Trailer trailer = Trailer::Correct;
        bool bare = false; // the CA0 line alone
    };

    struct BatchPlan {
        bool ba1 = false;
        bool organization = false; // provider named by organization only
        std::vector<ClaimPlan> claims;
    };

    // Counts and sums of a batch or of the whole file, for YA0 and ZA0.
    struct Tally {
        std::uint64_t serviceLines = 0;
        std::uint64_t records = 0;
        std::uint64_t claims = 0;
        std::uint64_t charges = 0;
    };

private:
    static std::vector<BatchPlan> readableRecipe();
    ClaimPlan randomClaim();
    void applyClaimOptions(ClaimPlan& plan, std::int64_t claimNumber) const;

    void writeFileHeader();
    void writeBatch(const BatchPlan& batch);
    void beginBatch(const BatchPlan& batch);
    void writeClaim(const ClaimPlan& plan);
    void endBatch();
    // Adds the batch's tally to the file's and starts a new one.
    void addToFile();
    void writeFileTrailer();
    void shortLineAfterClaim();
    static bool listed(const std::vector<std::int64_t>& numbers, std::int64_t number);

    void begin(int idKey, const char* recordType);
    void put(int key, const std::string& value) { FieldPlacer::text(line_, refs_[key], value); }
    void put(int key, const char* value) { FieldPlacer::text(line_, refs_[key], value); }
    void num(int key, std::uint64_t value);
    void date(int key, std::int64_t days) { FieldPlacer::date(line_, refs_[key], days); }
    std::string phone(const char* areaCode);

    const GeneratorOptions& options_;
    LineBuffer& out_;
    std::FILE* summary_;
    Rng rng_;
    std::vector<FieldRef> refs_;
    bool v301_;
    char* line_ = nullptr;
    int overflows_ = 0;

    std::int64_t batchNumber_ = 0;
    std::int64_t claimNumber_ = 0;
    std::int64_t fileCreated_ = 0;               // day count of the file's creation date
    std::array<std::uint64_t, 6> claimCounts_{}; // C, D, E, F, G, H lines of the current claim
    bool inClaim_ = false;
    Tally batchTally_;
    Tally fileTally_;

    // The batch's billing provider, repeated in BA0, BA1 and YA0.
    std::string providerId_;
    std::string taxId_;
    std::string batchId_;
    int providerPlace_ = 0;
};

} // namespace nsfgen
