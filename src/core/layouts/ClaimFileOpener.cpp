#include "core/layouts/ClaimFileOpener.h"

#include "core/common/MessageTexts.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/KnownVersions.h"
#include "core/layouts/Module1.h"
#include "core/layouts/VersionDetector.h"

namespace qm {

namespace {
constexpr std::size_t kLineEndSample = 64 * 1024;
} // namespace

ClaimFileOpener::Prepared
ClaimFileOpener::prepare(const std::string& path, const std::vector<std::string>& mapFolders,
                         std::shared_ptr<const LayoutCatalogue> currentLayouts, MessageSink& sink,
                         ProgressControl* control) {
    Prepared prepared;
    prepared.path = path;
    prepared.layouts = std::move(currentLayouts);
    auto file = std::make_unique<SequentialFile>();
    std::string reason;
    if (!file->open(path, &reason)) {
        sink.show(MessageTexts::unableToOpenFile(path, reason));
        prepared.result.outcome = OpenResult::Outcome::Unreadable;
        return prepared;
    }

    const VersionDetection detection =
        detectFileVersion(*file, mapFolders, sink, prepared.layouts, control);
    OpenResult& result = prepared.result;
    result.versionCode = detection.code;
    result.knownVersion = findKnownVersion(detection.code) != nullptr;
    switch (detection.result) {
    case VersionDetection::Result::Cancelled:
        result.outcome = OpenResult::Outcome::Cancelled;
        return prepared;
    case VersionDetection::Result::NoHeader:
        sink.show(MessageTexts::notAnNsfFile());
        result.outcome = OpenResult::Outcome::NotNsf;
        return prepared;
    case VersionDetection::Result::MapFailed:
        // The loader has said what is wrong; the file is no less a claim file.
        result.outcome = OpenResult::Outcome::MapFailed;
        return prepared;
    case VersionDetection::Result::Found:
        break;
    }
    result.outcome = OpenResult::Outcome::Opened;
    result.lfOnly = hasLfOnlyLineEnds(*file);
    if (result.lfOnly)
        sink.show(MessageTexts::lfOnlyLineEnds());
    prepared.file = std::move(file);
    return prepared;
}

OpenResult ClaimFileOpener::finish(Module1& m, Prepared prepared) {
    m.FileName = prepared.path;
    m.RecordLayouts = std::move(prepared.layouts);
    if (prepared.file) {
        m.FileNumber = m.Files.FreeFile();
        if (m.FileNumber != 0)
            m.Files.adopt(m.FileNumber, std::move(prepared.file));
    }
    return prepared.result;
}

void ClaimFileOpener::closePrevious(Module1& m, const std::string& path) {
    m.FileName = path;
    if (m.FileNumber != 0)
        m.Files.close(m.FileNumber);
}

OpenResult ClaimFileOpener::open(Module1& m, const std::string& path, MessageSink& sink,
                                 ProgressControl* control) {
    closePrevious(m, path);
    return finish(m, prepare(path, m.mapSearch(), m.RecordLayouts, sink, control));
}

bool ClaimFileOpener::hasLfOnlyLineEnds(SequentialFile& file) {
    std::string sample(kLineEndSample, '\0');
    sample.resize(file.readBytes(1, sample.data(), sample.size()));
    return sample.find('\r') == std::string::npos && sample.find('\n') != std::string::npos;
}

} // namespace qm
