#include "gui/common/MapSearch.h"

#include "core/layouts/MapSearchPath.h"
#include "gui/common/CoreText.h"

#include <QDir>
#include <optional>

namespace {

// One search per process, as there is one start-up folder and one --maps.
std::optional<std::vector<std::string>>& recordedFolders() {
    static std::optional<std::vector<std::string>> folders;
    return folders;
}

} // namespace

std::string MapSearch::startFolder() {
    return CoreText::fromPath(QDir::toNativeSeparators(QDir::currentPath()));
}

std::vector<std::string> MapSearch::forStart(const QString& mapsDir) {
    return qm::MapSearchPath::forThisProcess(CoreText::fromPath(mapsDir), startFolder());
}

void MapSearch::record(std::vector<std::string> folders) {
    recordedFolders() = std::move(folders);
}

std::vector<std::string> MapSearch::recorded() {
    const std::optional<std::vector<std::string>>& folders = recordedFolders();
    return folders ? *folders : forStart(QString());
}

QString MapSearch::line(const std::vector<std::string>& folders) {
    const std::string folder = qm::MapSearchPath::folderInUse(folders);
    // The installed folder is found as <bin>/../share/...: show it as a user would write it.
    return QStringLiteral("Maps: ") + (folder.empty() ? QStringLiteral("none found")
                                                      : QDir::cleanPath(CoreText::toPath(folder)));
}
