#include "core/layouts/VersionDetector.h"

#include "core/common/TextUtil.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/KnownVersions.h"
#include "core/layouts/MapLoader.h"

namespace qm {

VersionDetection DetectFileVersion(SequentialFile& file, const std::vector<std::string>& folders,
                                   MessageSink& sink,
                                   std::shared_ptr<const LayoutCatalogue>& layouts,
                                   ProgressControl* control) {
    VersionDetection detection;
    if (control) {
        control->bytesTotal = file.size();
        file.watch(&control->bytesDone, &control->cancel);
    }
    file.seek(1);
    std::string_view line;
    bool found = false;
    while (!found && file.readLineView(line))
        found = line.size() >= 3 && line.substr(0, 3) == "AA0";
    file.watch(nullptr, nullptr);
    if (control && control->cancel) {
        detection.result = VersionDetection::Result::Cancelled;
        return detection;
    }
    if (!found)
        return detection; // no AA0 record
    detection.code.assign(columns(line, 244, 5));
    detection.result = VersionDetection::Result::Found;
    if (const KnownVersion* version = findKnownVersion(detection.code)) {
        detection.mapLoaded = true;
        if (!LoadMapFile(folders, std::string(version->mapFile), sink, layouts,
                         std::string(version->formatFile)))
            detection.result = VersionDetection::Result::MapFailed;
    }
    return detection;
}

} // namespace qm
