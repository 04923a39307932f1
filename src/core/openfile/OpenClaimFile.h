#pragma once

#include "core/layouts/LayoutCatalogue.h"

#include <memory>
#include <string>

namespace qm {

class FileTree;
class HeaderIndex;
class ProblemStore;
class SequentialFile;

// How opening a claim file ended.
struct OpenResult {
    enum class Outcome { Opened, Unreadable, NotNsf, MapFailed, Cancelled };
    Outcome outcome = Outcome::Unreadable;
    std::string versionCode;   // as read from the file header
    bool knownVersion = false; // the code names a map file
    bool lfOnly = false;       // lines end in LF only (see ClaimFileOpener::hasLfOnlyLineEnds)
    bool lfLineEnds = false;   // read with LF as a line end too (SequentialFile::LineEnds::AlsoLf)
    bool opened() const { return outcome == Outcome::Opened; }
};

// One open claim file and all that belongs to it: its path, the reader the
// clicks use, the layouts it was opened with, its tree once built, and the
// problems the last whole-file check over that tree found. Whoever
// shows something of the file holds this object; the file is closed when the
// last holder lets go, so nothing of one file can outlive it into the next.
//
// The layouts, the tree and the header index are read-only values that any
// thread may read; the click reader belongs to the thread that owns the
// object (workers open readers of their own on file()).
class OpenClaimFile {
public:
    OpenClaimFile(std::string path, OpenResult result, std::unique_ptr<SequentialFile> reader,
                  std::shared_ptr<const LayoutCatalogue> layouts);
    ~OpenClaimFile();
    OpenClaimFile(const OpenClaimFile&) = delete;
    OpenClaimFile& operator=(const OpenClaimFile&) = delete;

    // The path as the user named it (the design's FileName).
    const std::string& path() const { return path_; }
    const OpenResult& result() const { return result_; }
    // The layouts of the file's version (the design's RecordLayouts).
    const std::shared_ptr<const LayoutCatalogue>& layouts() const { return layouts_; }

    // The reader node clicks go through (the design's FileNumber).
    SequentialFile& reader() { return *reader_; }
    // The file as opened, for readers of one's own (SequentialFile::openSame).
    const SequentialFile& file() const { return *reader_; }

    // The file tree, null until it is built.
    const std::shared_ptr<const FileTree>& tree() const { return tree_; }
    // Where the tree's headers and trailers are, for whole-file passes; null
    // without a tree.
    const std::shared_ptr<const HeaderIndex>& headerIndex() const { return index_; }
    // A tree built (again) over this file; null forgets the one there was,
    // and the problems numbered by it.
    void setTree(std::shared_ptr<const FileTree> tree);

    // The problems of the last whole-file check of the tree (ProblemStore,
    // whose tree() it is): filled while the check runs, on the thread that
    // runs it; null before any, or once the tree is gone.
    const std::shared_ptr<const ProblemStore>& problems() const { return problems_; }
    // The store of a check that begins over the current tree.
    void setProblems(std::shared_ptr<const ProblemStore> problems);

private:
    std::string path_;
    OpenResult result_;
    std::unique_ptr<SequentialFile> reader_;
    std::shared_ptr<const LayoutCatalogue> layouts_;
    std::shared_ptr<const FileTree> tree_;
    std::shared_ptr<const HeaderIndex> index_;
    std::shared_ptr<const ProblemStore> problems_;
};

} // namespace qm
