#include "gui/common/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QSet>
#include <QStandardPaths>

namespace {

const QString kOrganization = QStringLiteral("Quillmark");
const QString kApplication = QStringLiteral("Quillmark");

QString& fileOverride() {
    static QString path;
    return path;
}

// Paths already reported, so that a run warns once, not at every window.
QSet<QString>& reported() {
    static QSet<QString> paths;
    return paths;
}

// The first file that exists but is no regular file (a symbolic link counts
// as what it points to), or an empty string.
QString unusableFile(const QStringList& files) {
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (info.exists() && !info.isFile())
            return file;
    }
    return QString();
}

} // namespace

QStringList SettingsStore::files() {
    if (!fileOverride().isEmpty())
        return {fileOverride()};
    // Where QSettings looks for an organization's application on a desktop
    // that follows the XDG rules: the user's folder first, then the system's,
    // each with the application's file and the organization's.
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    folders.append(QLibraryInfo::path(QLibraryInfo::SettingsPath));
    QStringList files;
    for (const QString& folder : std::as_const(folders)) {
        const QDir dir(folder);
        for (const QString& file : {dir.filePath(kOrganization + QLatin1Char('/') + kApplication +
                                                 QStringLiteral(".conf")),
                                    dir.filePath(kOrganization + QStringLiteral(".conf"))}) {
            if (!files.contains(file))
                files.append(file);
        }
    }
    return files;
}

std::unique_ptr<QSettings> SettingsStore::open() {
    const QString unusable = unusableFile(files());
    if (!unusable.isEmpty()) {
        if (!reported().contains(unusable)) {
            reported().insert(unusable);
            qWarning("Quillmark: the settings file %s is not a regular file; it is ignored, and "
                     "window places and recent files are not remembered.",
                     qUtf8Printable(QDir::toNativeSeparators(unusable)));
        }
        return nullptr;
    }
    if (!fileOverride().isEmpty())
        return std::make_unique<QSettings>(fileOverride(), QSettings::IniFormat);
    return std::make_unique<QSettings>(kOrganization, kApplication);
}

void SettingsStore::setFile(const QString& iniPath) {
    fileOverride() = iniPath;
}
