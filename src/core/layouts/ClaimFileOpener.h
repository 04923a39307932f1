#pragma once

#include "core/common/MessageSink.h"
#include "core/common/ProgressControl.h"
#include "core/layouts/LayoutCatalogue.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {

class SequentialFile;
struct Module1;

// How opening a claim file ended.
struct OpenResult {
    enum class Outcome { Opened, Unreadable, NotNsf, MapFailed, Cancelled };
    Outcome outcome = Outcome::Unreadable;
    std::string versionCode;   // as read from the file header
    bool knownVersion = false; // the code names a map file
    bool lfOnly = false;       // lines end in LF only (see hasLfOnlyLineEnds)
    bool opened() const { return outcome == Outcome::Opened; }
};

// Opens claim files for both front ends: refuses what cannot be read, finds
// the file header, loads the map of its version, and reports the outcome as
// a value and the messages through a sink, in the order the user sees them:
// - a file that cannot be opened: "Unable to Open File" with the reason;
// - no AA0 record: "This is not an NSF file. Can not locate the AA0 record!";
// - a map that fails to load: the map loader's message only;
// - opened, but with LF line ends only: a note that only the first line can be read.
// A version code that names no map opens with the layouts loaded last.
class ClaimFileOpener {
public:
    // The work that may take long, with nothing program-wide touched, so that
    // it can run on a worker thread.
    struct Prepared {
        std::string path;
        OpenResult result;
        std::unique_ptr<SequentialFile> file; // open when result.opened()
        std::shared_ptr<const LayoutCatalogue> layouts;
    };
    // control, when given, follows the search for the file header and can cancel it.
    static Prepared prepare(const std::string& path, const std::vector<std::string>& mapFolders,
                            std::shared_ptr<const LayoutCatalogue> currentLayouts,
                            MessageSink& sink, ProgressControl* control = nullptr);
    // Makes a prepared open the program's: FileName, the file behind a new
    // FileNumber, the layouts. The previous file must already be closed.
    static OpenResult finish(Module1& m, Prepared prepared);

    // File > Open once a path was chosen: FileName := path, the previous file
    // closed, then prepare and finish.
    static OpenResult open(Module1& m, const std::string& path, MessageSink& sink,
                           ProgressControl* control = nullptr);
    // Closes the previous file and records the path, as an open does first.
    static void closePrevious(Module1& m, const std::string& path);

    // True when the first 64 KiB of the file hold no CR but at least one LF:
    // its lines end in LF alone, which ends no line here.
    static bool hasLfOnlyLineEnds(SequentialFile& file);
};

} // namespace qm
