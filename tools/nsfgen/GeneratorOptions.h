#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nsfgen {

struct GeneratorOptions {
    std::string mapsDir;
    std::string version; // "00301" or "00200"
    std::uint64_t seed = 1;
    std::int64_t batches = 0;              // 0: one batch, or 250 claims a batch with a size target
    std::int64_t claims = 0;               // 0: 10 claims, unless a size target is given
    std::uint64_t sizeBytes = 0;           // write claims until about this many bytes
    std::string out;                       // empty: standard output
    bool readable = false;                 // the fixed recipe of the readable sample file
    bool notAClaim = false;                // a text file without a file header
    bool summary = false;                  // list batch and claim keys on standard error
    bool bareClaims = false;               // every claim is its CA0 line alone
    std::vector<std::int64_t> wrongTotals; // claim numbers (1-based) with XA0 12.0 one too high
    std::vector<std::int64_t> missingXa0;  // claim numbers (1-based) written without XA0
    // Faults of the integrity edits, each in claim numbers (1-based).
    std::vector<std::int64_t> wrongPcn;      // the first FA0 carries the next claim's PCN
    std::vector<std::int64_t> wrongSequence; // the first payer's DA1 carries SEQUENCE NO 02
    std::vector<std::int64_t> badDate;       // the first FA0 06.0 reads "2003 3 5"
    std::vector<std::int64_t> lateService;   // the first FA0 is dated after the file's creation
    std::vector<std::int64_t> unlistedCode;  // the first FA0 07.0 is place of service 13
    // Faults of the batch and file trailers and of the file's structure.
    std::vector<std::int64_t> wrongBatchCount; // batch numbers whose YA0 10.0 is one too high
    std::vector<std::int64_t> wrongBatchTotal; // batch numbers whose YA0 11.0 is one too high
    std::vector<std::int64_t> missingYa0;      // batch numbers written without YA0
    std::vector<std::int64_t> claimOutside;    // batch numbers followed by a claim of no batch
    std::vector<std::int64_t> shortLines;      // claim numbers followed by a short line
    bool wrongFileCount = false;               // ZA0 07.0 one too high
    bool wrongFileTotal = false;               // ZA0 09.0 one too high
    bool missingZa0 = false;                   // no ZA0
    bool recordAfterZa0 = false;               // a DA0 record after the ZA0
    bool cutLastLine = false;                  // a last line cut short after the ZA0
    // A changed copy of an existing file instead of a new one.
    std::string mutateFrom;
    std::int64_t addClaims = 0;    // claims copied under a new control number
    std::int64_t removeClaims = 0; // claims left out
    std::int64_t changeClaims = 0; // claims with changed fields
    std::int64_t changeFields = 1; // fields changed in each of them

    bool anyIntegrityFault() const {
        return !wrongPcn.empty() || !wrongSequence.empty() || !badDate.empty() ||
               !lateService.empty() || !unlistedCode.empty();
    }
    bool anyFault() const {
        return anyIntegrityFault() || !wrongTotals.empty() || !missingXa0.empty() ||
               !wrongBatchCount.empty() || !wrongBatchTotal.empty() || !missingYa0.empty() ||
               !claimOutside.empty() || !shortLines.empty() || wrongFileCount || wrongFileTotal ||
               missingZa0 || recordAfterZa0 || cutLastLine;
    }
};

} // namespace nsfgen
