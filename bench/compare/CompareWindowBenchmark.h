#pragma once

#include "BenchArguments.h"

// Times File > Compare With... in the viewer on two large claim files, run
// offscreen as a user runs it: how long from the command until the first
// differences are painted, until the comparison ends, and the longest the
// event loop stalled on the way, with the viewer otherwise quiet.
class CompareWindowBenchmark {
public:
    // Opens arguments.file(), compares it arguments.count() times with
    // arguments.otherFile(). Prints the figures on standard output; false
    // (with a reason on standard error) when a file cannot be opened.
    static bool run(const BenchArguments& arguments);
};
