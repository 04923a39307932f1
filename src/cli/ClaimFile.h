#pragma once

#include "core/check/RuleCatalogue.h"
#include "core/filetree/FileTree.h"
#include "core/openfile/ClaimFileOpener.h"

#include <memory>
#include <string>
#include <vector>

namespace qm::cli {

// The claim file of one run, opened as the viewer's File > Open opens it, and
// its file tree once asked for.
class ClaimFile {
public:
    // Opens path, finds its AA0 record and loads the map of its version,
    // looking in mapsDir first. False when the file cannot be read, has no AA0
    // record or its map failed; messages() then says why. lineEnds: where its
    // lines end (--lf-lines: at LF too).
    bool open(const std::string& path, const std::string& mapsDir,
              SequentialFile::LineEnds lineEnds = SequentialFile::LineEnds::CrOrCrLf);

    // Lines for standard error: the opener's messages ("Title: text") and,
    // after a successful open, notes worth knowing (a version without a map,
    // the map's doubtful fields).
    const std::vector<std::string>& messages() const { return messages_; }

    const OpenResult& result() const { return result_; }
    // After a successful open:
    OpenClaimFile& openFile() { return *file_; }
    const std::string& path() const { return file_->path(); }
    const std::shared_ptr<const LayoutCatalogue>& layouts() const { return file_->layouts(); }
    SequentialFile& file() { return file_->reader(); }
    // The file tree, built on first use by one pass over the file.
    const FileTree& tree();
    // The rules the whole-file check weighs claims by besides the format's
    // own checks (RulesOption); null for none.
    const std::shared_ptr<const RuleCatalogue>& rules() const { return rules_; }
    void setRules(std::shared_ptr<const RuleCatalogue> rules) { rules_ = std::move(rules); }

private:
    std::shared_ptr<OpenClaimFile> file_;
    std::shared_ptr<const RuleCatalogue> rules_;
    OpenResult result_;
    std::vector<std::string> messages_;
};

} // namespace qm::cli
