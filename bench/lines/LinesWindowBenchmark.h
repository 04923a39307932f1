#pragma once

#include "BenchArguments.h"

// Times the File Lines window on a large claim file, run offscreen as a user
// opens it once the file's check is done: until its first lines are painted
// (target 0.2 s) and until every line is indexed (beside `wc -l`), Go to Line
// at the first, a middle and the last line up to the line painted (target
// 0.1 s), the longest stall while the thumb is dragged through the file
// (target 50 ms) and the resident memory the open window adds (target 20 MB).
class LinesWindowBenchmark {
public:
    // Opens arguments.file() and the window arguments.count() times. Prints
    // the figures on standard output; false (with a reason on standard
    // error) when the file or the window cannot be opened.
    static bool run(const BenchArguments& arguments);
};
