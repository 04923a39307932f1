#pragma once

#include "BenchArguments.h"

// Times node clicks on claims spread evenly through a claim file: each from
// the click to the claim form shown and painted, as the user waits for it.
class ClaimFormBenchmark {
public:
    // Opens arguments.file() and clicks arguments.count() claims. Prints the
    // figures on standard output; false when the file cannot be opened or
    // holds no claim.
    static bool run(const BenchArguments& arguments);
};
