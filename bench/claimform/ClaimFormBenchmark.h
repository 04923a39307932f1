#pragma once

#include <QString>

// Times node clicks on claims spread evenly through a claim file: each from
// the click to the claim form shown and painted, as the user waits for it.
class ClaimFormBenchmark {
public:
    struct Options {
        QString file;
        QString mapsDir;
        int clicks = 100;
    };

    // Prints the figures on standard output; false when the file cannot be
    // opened or holds no claim.
    static bool run(const Options& options);
};
