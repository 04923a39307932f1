#include "core/layouts/VersionDetector.h"

#include "core/common/TextUtil.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/KnownVersions.h"
#include "core/layouts/MapLoader.h"
#include "core/layouts/Module1.h"

namespace qm {

namespace {
// How often a long search for the file header reports its progress.
constexpr std::int64_t kProgressStep = std::int64_t(4) << 20;
} // namespace

VersionDetection detectFileVersion(SequentialFile& file, const std::vector<std::string>& folders,
                                   MessageSink& sink, std::shared_ptr<const LayoutCatalogue>& layouts,
                                   const Progress& progress) {
    VersionDetection detection;
    const std::int64_t total = progress ? file.size() : 0;
    std::int64_t nextReport = kProgressStep;
    file.seek(1);
    std::string_view line;
    for (;;) {
        if (!file.readLineView(line))
            return detection; // no AA0 record
        if (line.size() >= 3 && line.substr(0, 3) == "AA0")
            break;
        if (progress && file.position() >= nextReport) {
            nextReport = file.position() + kProgressStep;
            if (!progress(file.position() - 1, total)) {
                detection.result = VersionDetection::Result::Cancelled;
                return detection;
            }
        }
    }
    detection.code.assign(columns(line, 244, 5));
    detection.result = VersionDetection::Result::Found;
    if (const KnownVersion* version = findKnownVersion(detection.code)) {
        detection.mapLoaded = true;
        if (!LoadMapFile(folders, std::string(version->mapFile), sink, layouts))
            detection.result = VersionDetection::Result::MapFailed;
    }
    return detection;
}

bool DetectFileVersion(Module1& m, int fileNumber, MessageSink& sink, std::string* versionCode) {
    if (versionCode)
        versionCode->clear();
    SequentialFile* file = m.Files.get(fileNumber);
    if (!file)
        return false;
    const VersionDetection detection =
        detectFileVersion(*file, m.mapSearch(), sink, m.RecordLayouts);
    if (versionCode)
        *versionCode = detection.code;
    return detection.result == VersionDetection::Result::Found;
}

} // namespace qm
