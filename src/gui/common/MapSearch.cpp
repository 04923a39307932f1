#include "gui/common/MapSearch.h"

#include "core/layouts/MapSearchPath.h"
#include "gui/common/CoreText.h"

#include <QDir>

std::string MapSearch::startFolder() {
    return CoreText::fromPath(QDir::toNativeSeparators(QDir::currentPath()));
}

std::vector<std::string> MapSearch::forStart(const QString& mapsDir) {
    return qm::MapSearchPath::forThisProcess(CoreText::fromPath(mapsDir), startFolder());
}

QString MapSearch::line(const std::vector<std::string>& folders) {
    const std::string folder = qm::MapSearchPath::folderInUse(folders);
    // The installed folder is found as <bin>/../share/...: show it as a user would write it.
    return QStringLiteral("Maps: ") + (folder.empty() ? QStringLiteral("none found")
                                                      : QDir::cleanPath(CoreText::toPath(folder)));
}
