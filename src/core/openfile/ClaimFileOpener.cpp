#include "core/openfile/ClaimFileOpener.h"

#include "core/common/MessageTexts.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/KnownVersions.h"
#include "core/layouts/VersionDetector.h"

namespace qm {

namespace {
constexpr std::size_t kLineEndSample = 64 * 1024;
} // namespace

ClaimFileOpener::Opened ClaimFileOpener::open(const std::string& path,
                                              const std::vector<std::string>& mapFolders,
                                              std::shared_ptr<const LayoutCatalogue> currentLayouts,
                                              MessageSink& sink, ProgressControl* control,
                                              const Options& options) {
    Opened opened;
    opened.layouts = std::move(currentLayouts);
    OpenResult& result = opened.result;
    auto file = std::make_unique<SequentialFile>();
    file->setLineEnds(options.lineEnds);
    std::string reason;
    if (!file->open(path, &reason)) {
        sink.show(MessageTexts::unableToOpenFile(path, reason));
        result.outcome = OpenResult::Outcome::Unreadable;
        return opened;
    }

    const VersionDetection detection =
        DetectFileVersion(*file, mapFolders, sink, opened.layouts, control);
    result.versionCode = detection.code;
    result.knownVersion = findKnownVersion(detection.code) != nullptr;
    switch (detection.result) {
    case VersionDetection::Result::Cancelled:
        result.outcome = OpenResult::Outcome::Cancelled;
        return opened;
    case VersionDetection::Result::NoHeader:
        sink.show(MessageTexts::notAnNsfFile());
        result.outcome = OpenResult::Outcome::NotNsf;
        return opened;
    case VersionDetection::Result::MapFailed:
        // The loader has said what is wrong; the file is no less a claim file.
        result.outcome = OpenResult::Outcome::MapFailed;
        return opened;
    case VersionDetection::Result::Found:
        break;
    }
    result.outcome = OpenResult::Outcome::Opened;
    result.lfOnly = hasLfOnlyLineEnds(*file);
    result.lfLineEnds = options.lineEnds == SequentialFile::LineEnds::AlsoLf;
    if (result.lfOnly && !result.lfLineEnds && !options.lineEndsAsked)
        sink.show(MessageTexts::lfOnlyLineEnds());
    opened.file = std::make_shared<OpenClaimFile>(path, result, std::move(file), opened.layouts);
    return opened;
}

ClaimFileOpener::Opened ClaimFileOpener::open(const std::string& path,
                                              const std::vector<std::string>& mapFolders,
                                              std::shared_ptr<const LayoutCatalogue> currentLayouts,
                                              MessageSink& sink, ProgressControl* control) {
    return open(path, mapFolders, std::move(currentLayouts), sink, control, Options());
}

bool ClaimFileOpener::hasLfOnlyLineEnds(const SequentialFile& file) {
    std::string sample(kLineEndSample, '\0');
    sample.resize(file.readBytes(1, sample.data(), sample.size()));
    return sample.find('\r') == std::string::npos && sample.find('\n') != std::string::npos;
}

bool ClaimFileOpener::hasLfOnlyLineEnds(const std::string& path) {
    SequentialFile file;
    return file.open(path) && hasLfOnlyLineEnds(file);
}

} // namespace qm
