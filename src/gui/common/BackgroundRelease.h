#pragma once

#include <memory>

// Lets go of big values (a file's tree, a check's problems) on a thread of its
// own: freeing hundreds of megabytes holds the GUI thread long enough to be
// seen when a tree is built again or a file opened over another. A value
// handed over is destroyed there if it was the last owner's; whoever else
// holds it keeps it.
//
// Memory freed is given back to the system there too, once nothing is left
// to drop: the C library keeps what was freed for later, and after a check of
// millions of claims that is a hundred megabytes or more the viewer would go
// on holding.
class BackgroundRelease {
public:
    static void drop(std::shared_ptr<const void> value);
    // Gives back to the system what has been freed, now, on this thread: it
    // takes a few milliseconds after a big file, so never on the GUI thread.
    static void giveBackFreed();
};
