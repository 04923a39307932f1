#pragma once

#include "BenchArguments.h"

// Times Tools > View Claims on a large claim file, from the command to the
// tree window painted with its tree, with the longest event-loop stall on the
// way; then to the whole-file check's marks and count painted, with the
// longest stall while it ran and the memory its results take; the viewer's
// resident memory, the bytes a node of the engine's tree, and a Find that
// searches the whole tree. Runs a real main window offscreen, with the window
// positions kept in a temporary settings file.
class TreeWindowBenchmark {
public:
    // Opens arguments.file() and times arguments.count() runs. Prints the
    // figures on standard output; false (with a reason on standard error) when
    // the file cannot be opened as a claim file.
    static bool run(const BenchArguments& arguments);
};
