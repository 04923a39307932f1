#include "core/layouts/VersionDetector.h"

#include "core/common/TextUtil.h"
#include "core/layouts/MapLoader.h"
#include "core/layouts/Module1.h"

namespace qm {

bool DetectFileVersion(Module1& m, int fileNumber, MessageSink& sink, std::string* versionCode) {
    if (versionCode)
        versionCode->clear();
    SequentialFile* file = m.Files.get(fileNumber);
    if (!file)
        return false;
    file->seek(1);
    std::string_view line;
    for (;;) {
        if (!file->readLineView(line))
            return false;
        if (line.size() >= 3 && line.substr(0, 3) == "AA0")
            break;
    }
    const std::string code(columns(line, 244, 5));
    if (versionCode)
        *versionCode = code;
    if (code == "00200")
        return LoadMapFile(m, "nsf0200.map", sink);
    if (code == "00301")
        return LoadMapFile(m, "nsf0301.map", sink);
    return true;
}

} // namespace qm
