#pragma once

#include "core/common/MessageSink.h"
#include "core/common/ProgressControl.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {

// Opens claim files for both front ends: refuses what cannot be read, finds
// the file header, loads the map of its version, and reports the outcome as
// a value and the messages through a sink, in the order the user sees them:
// - a file that cannot be opened: "Unable to Open File" with the reason;
// - no AA0 record: "This is not an NSF file. Can not locate the AA0 record!";
// - a map that fails to load: the map loader's message only;
// - opened, but with LF line ends only: a note that only the first line can be read
//   (unless the file is read with LF as the line end, or the user was asked).
// A version code that names no map opens with the layouts loaded last.
// Nothing program-wide is touched, so an open may run on a worker thread.
class ClaimFileOpener {
public:
    struct Opened {
        OpenResult result;
        // The open file, when result.opened().
        std::shared_ptr<OpenClaimFile> file;
        // The layouts loaded last once this open is done: a map load replaces
        // them even when it fails part-way (a later file whose version names
        // no map opens with them).
        std::shared_ptr<const LayoutCatalogue> layouts;
    };

    struct Options {
        // How the file's lines end; every reader of the open file reads so.
        SequentialFile::LineEnds lineEnds = SequentialFile::LineEnds::CrOrCrLf;
        // The user has been asked about LF line ends (readLfAsLineEnd): no note.
        bool lineEndsAsked = false;
    };

    // Opens path, looking for its map in mapFolders. currentLayouts: the
    // layouts loaded last. control, when given, follows the search for the
    // file header and can cancel it.
    static Opened open(const std::string& path, const std::vector<std::string>& mapFolders,
                       std::shared_ptr<const LayoutCatalogue> currentLayouts, MessageSink& sink,
                       ProgressControl* control, const Options& options);
    // The same as a file of CR LF ends is opened.
    static Opened open(const std::string& path, const std::vector<std::string>& mapFolders,
                       std::shared_ptr<const LayoutCatalogue> currentLayouts, MessageSink& sink,
                       ProgressControl* control = nullptr);

    // True when the first 64 KiB of the file hold no CR but at least one LF:
    // its lines end in LF alone, which ends no line unless the file is read
    // with LineEnds::AlsoLf.
    static bool hasLfOnlyLineEnds(const SequentialFile& file);
    // The same of a path; false when it cannot be read (the open says why).
    static bool hasLfOnlyLineEnds(const std::string& path);
};

} // namespace qm
