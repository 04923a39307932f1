#pragma once

#include "core/check/ProblemStore.h"

#include <cstdint>
#include <string>

namespace qm {

class FileTree;
class LayoutCatalogue;

// Where a problem row leads in the file tree: the node it is about, and what
// of that node shows it. A claim's row opens its claim on the record and
// field it names; a trailer's row opens the batch or the file header with
// that very trailer (YA0, ZA0) shown; a row about a line with no record to
// show (a short line, an unknown type, a batch without its YA0) selects the
// node the line belongs to, for the row's words to say the rest.
class ProblemPlace {
public:
    enum class Show {
        Nothing, // the tree has no node for it (the file changed)
        Record,  // open the node as a click does, then the record and field
        Trailer, // open the batch or file header with its trailer at trailerPosition
        Node,    // select the node without opening it
    };

    Show show = Show::Nothing;
    std::int64_t node = -1;
    std::string record; // the claim form node key ("FA0-2", "YA0"); empty for none
    int field = -1;     // index in the record's layout; -1 for none
    std::int64_t trailerPosition = 0;

    static ProblemPlace of(const ProblemStore::Entry& entry, const FileTree& tree,
                           const LayoutCatalogue* layouts);

    // The node whose own mark a row is: a claim's row its claim's, a batch's
    // its batch's, the file's the first file header's; -1 for none.
    static std::int64_t ownerNode(const ProblemStore::Entry& entry, const FileTree& tree);
    // The first file header of the tree, or -1.
    static std::int64_t fileHeader(const FileTree& tree);
};

} // namespace qm
