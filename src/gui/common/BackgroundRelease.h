#pragma once

#include <memory>

// Lets go of big values (a file's tree, a check's problems) on a thread of its
// own: freeing hundreds of megabytes holds the GUI thread long enough to be
// seen when a tree is built again or a file opened over another. A value
// handed over is destroyed there if it was the last owner's; whoever else
// holds it keeps it.
class BackgroundRelease {
public:
    static void drop(std::shared_ptr<const void> value);
};
