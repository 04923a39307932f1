#pragma once

#include "FieldPlacer.h"
#include "GeneratorOptions.h"
#include "LineBuffer.h"
#include "Rng.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace nsfgen {

// Writes a changed copy of a claim file: given numbers of its claims left
// out, copied (the copy, under a new control number, follows the claim it
// was made from) and changed in given numbers of text fields, chosen by the
// seed. The batch and file trailers (YA0 08.0 to 11.0, ZA0 05.0 to 07.0 and
// 09.0) follow the claims left out and added, so that trailers that balanced
// still balance; a changed field is never one a trailer or the pairing of
// claims depends on (no amount, count, date, sequence number, record type or
// control number), nor a filler. Every other byte is copied as it is, lines ended by CR LF.
class FileMutator {
public:
    FileMutator(const qm::LayoutCatalogue& catalogue, const GeneratorOptions& options,
                LineBuffer& out, std::FILE* summary);

    // Reads options.mutateFrom twice (to count its claims, then to copy it);
    // throws std::runtime_error when it cannot be read or has too few claims.
    void run();

private:
    // Counts and sums of the claims added or left out, for the trailers.
    struct Tally {
        std::int64_t serviceLines = 0;
        std::int64_t records = 0;
        std::int64_t claims = 0;
        std::int64_t charges = 0;
        void add(const Tally& other, int sign);
    };

    std::int64_t countClaims() const;
    // Which claims (1-based numbers) each mutation takes.
    void choose(std::int64_t claims);
    void endClaim();
    Tally tallyOf(const std::vector<std::string>& lines) const;
    void changeFields(std::vector<std::string>& lines);
    std::vector<std::string> copyWithNewNumber(const std::vector<std::string>& lines);
    // Adds delta to the whole number in a trailer field, where it is one.
    void adjust(std::string& line, FieldRef field, std::int64_t delta) const;
    void write(const std::string& line) { out_.rawLine(line); }

    const qm::LayoutCatalogue& catalogue_;
    const GeneratorOptions& options_;
    LineBuffer& out_;
    std::FILE* summary_;
    Rng rng_;
    FieldRef pcn_;
    FieldRef serviceCharge_;
    FieldRef ya0Lines_, ya0Records_, ya0Claims_, ya0Charges_;
    FieldRef za0Lines_, za0Records_, za0Claims_, za0Charges_;

    std::vector<char> removed_, changed_, copied_; // by claim number
    std::int64_t claimNumber_ = 0;
    std::int64_t added_ = 0;
    std::vector<std::string> claim_; // the lines of the claim being read
    Tally batchDelta_;
    Tally fileDelta_;
};

} // namespace nsfgen
