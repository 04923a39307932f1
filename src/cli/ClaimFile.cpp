#include "ClaimFile.h"

#include "core/common/FileText.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/TreeBuilder.h"
#include "core/layouts/MapSearchPath.h"

namespace qm::cli {

bool ClaimFile::open(const std::string& path, const std::string& mapsDir) {
    messages_.clear();
    tree_.reset();
    module_.MapFolder = MapSearchPath::currentFolder();
    module_.MapFolders = MapSearchPath::forThisProcess(mapsDir, module_.MapFolder);

    RecordingMessageSink sink;
    result_ = ClaimFileOpener::open(module_, path, sink);
    for (const Message& message : sink.messages)
        messages_.push_back(message.title + ": " + message.text);
    // The viewer opens such a file silently with whatever layouts it holds; a
    // dissector that starts with none should say why every record is empty.
    if (result_.opened() && !result_.knownVersion)
        messages_.push_back("note: version code '" + FileText::toPrintable(result_.versionCode) +
                            "' names no map file; records have no fields");
    if (result_.opened())
        for (const std::string& warning : module_.RecordLayouts->warnings())
            messages_.push_back("warning: " + warning);
    return result_.opened();
}

const FileTree& ClaimFile::tree() {
    if (!tree_)
        tree_.emplace(BuildTree(file()));
    return *tree_;
}

} // namespace qm::cli
