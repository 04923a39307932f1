#pragma once

#include "BenchArguments.h"

// Times field searches in the viewer on a large claim file, run offscreen as
// a user runs it (the search panel, Search): how long until the first
// results are painted, how long until the search ends, and the longest the
// event loop stalled on the way. Once while the file tree's whole-file check
// still runs after the file opened, then with the viewer otherwise quiet,
// then for two regular expressions over every field.
class SearchWindowBenchmark {
public:
    // Opens arguments.file() and times arguments.count() quiet runs. Prints
    // the figures on standard output; false (with a reason on standard
    // error) when the file cannot be opened or searched.
    static bool run(const BenchArguments& arguments);
};
