#include "gui/common/ExportFolder.h"

#include "gui/common/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kKey = QStringLiteral("Exports/Folder");

} // namespace

QString ExportFolder::suggest(const QString& besideClaimFile) {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    const QString folder = settings ? settings->value(kKey).toString() : QString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return besideClaimFile;
    return QDir(folder).filePath(QFileInfo(besideClaimFile).fileName());
}

void ExportFolder::remember(const QString& path) {
    if (const std::unique_ptr<QSettings> settings = SettingsStore::open())
        settings->setValue(kKey, QFileInfo(path).absolutePath());
}
