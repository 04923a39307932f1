#include "gui/common/MapSearch.h"

#include "core/layouts/MapSearchPath.h"
#include "gui/common/CoreText.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

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

QString MapSearch::formatsLine(const std::vector<std::string>& folders) {
    const QString inUse =
        QDir::cleanPath(CoreText::toPath(qm::MapSearchPath::folderInUse(folders)));
    QStringList names;
    for (const std::string& file : qm::MapSearchPath::formatFiles(folders)) {
        const QFileInfo format(QDir::cleanPath(CoreText::toPath(file)));
        names.append(format.path() == inUse ? format.fileName() : format.filePath());
    }
    return QStringLiteral("Formats: ") +
           (names.isEmpty() ? QStringLiteral("none found") : names.join(QStringLiteral(", ")));
}
