#pragma once

class BenchArguments;

// The claim filter in the viewer on a large file: the tree's display filter
// fed by the whole-file check's reading and by a reading of its own, the
// Claim List opened, listed and sorted by Stated Total, each with the longest
// event-loop stall, beside wc -l over the same file; and the viewer's
// resident memory with the tree, its check and the Claim List shown.
class ClaimListBenchmark {
public:
    // Opens arguments.file() and times arguments.count() runs; prints the
    // figures; false (with a reason on standard error) when it could not.
    static bool run(const BenchArguments& arguments);
};
