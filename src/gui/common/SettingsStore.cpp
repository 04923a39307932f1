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

// Why the first file that cannot be the store cannot be (in the words
// "the settings file PATH ..." goes on with), or an empty string. A symbolic
// link counts as what it points to.
QString unusableFile(const QStringList& files, QString& which) {
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!info.exists())
            continue;
        which = file;
        if (!info.isFile())
            return QStringLiteral("is not a regular file");
        if (info.size() > SettingsStore::kMaxBytes)
            return QStringLiteral("is larger than %1 KiB").arg(SettingsStore::kMaxBytes / 1024);
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
    QString unusable;
    const QString why = unusableFile(files(), unusable);
    if (!why.isEmpty()) {
        if (!reported().contains(unusable)) {
            reported().insert(unusable);
            qWarning("Quillmark: the settings file %s %s; it is ignored, and window places and "
                     "recent files are not remembered.",
                     qUtf8Printable(QDir::toNativeSeparators(unusable)), qUtf8Printable(why));
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
