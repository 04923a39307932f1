#include "ClaimFile.h"

#include "core/common/FileText.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/TreeBuilder.h"
#include "core/layouts/MapSearchPath.h"

namespace qm::cli {

bool ClaimFile::open(const std::string& path, const std::string& mapsDir,
                     SequentialFile::LineEnds lineEnds) {
    messages_.clear();
    RecordingMessageSink sink;
    ClaimFileOpener::Options options;
    options.lineEnds = lineEnds;
    // A dissector starts with no layouts: a version without a map has no fields.
    ClaimFileOpener::Opened opened = ClaimFileOpener::open(
        path, MapSearchPath::forThisProcess(mapsDir, MapSearchPath::currentFolder()),
        std::make_shared<LayoutCatalogue>(), sink, nullptr, options);
    result_ = opened.result;
    file_ = std::move(opened.file);
    for (const Message& message : sink.messages)
        messages_.push_back(message.title + ": " + message.text);
    // The viewer opens such a file silently with whatever layouts it holds; a
    // dissector that starts with none should say why every record is empty.
    if (result_.opened() && !result_.knownVersion)
        messages_.push_back("note: version code '" + FileText::toPrintable(result_.versionCode) +
                            "' names no map file; records have no fields");
    if (result_.opened())
        for (const std::string& warning : file_->layouts()->warnings())
            messages_.push_back("warning: " + warning);
    return result_.opened();
}

const FileTree& ClaimFile::tree() {
    if (!file_->tree())
        file_->setTree(std::make_shared<const FileTree>(BuildTree(file_->reader())));
    return *file_->tree();
}

} // namespace qm::cli
