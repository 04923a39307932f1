#pragma once

#include "ClaimFileBuilder.h"

#include <string>

class NsfRecords;

// A version 00301 file of two batches and three claims:
//   batch 1 (provider SMITH, JOHN): claim A (DOE, JANE; two DA records, two
//     FA0, one FB0, totals right), claim B (ROE, RICHARD; one FA0, totals right)
//   batch 2 (GENERAL CLINIC, with a BA1): claim C (POE, EDGAR; one FA0 whose
//     charge the XA0 field 12.0 states one cent too high)
// then each batch's YA0 and the ZA0.
class TwoBatchFile {
public:
    struct Options {
        bool invalidServiceDate = false; // claim A's first FA0 gets the date 20231340
        bool wrongTotalsInC = true;
    };

    explicit TwoBatchFile(const NsfRecords& records)
        : TwoBatchFile(records, Options()) {}
    TwoBatchFile(const NsfRecords& records, const Options& options);

    ClaimFileBuilder text;
    std::string aa0, batch1, claimA, claimB, batch2, claimC; // file tree keys
    std::string claimALine, secondFa0Line;                   // records as written
};
