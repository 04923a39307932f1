#include "gui/shell/RecentFiles.h"

#include "gui/common/SettingsStore.h"

namespace {

const QString kGroup = QStringLiteral("RecentFiles");

QString fileKey(int number) {
    return QStringLiteral("File") + QString::number(number);
}

} // namespace

RecentFiles::RecentFiles() {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return;
    settings->beginGroup(kGroup);
    // A hand-edited list may have gaps or repeats: keep what makes sense.
    for (int number = 1; number <= kMaxFiles; ++number) {
        const QString path = settings->value(fileKey(number)).toString();
        if (!path.isEmpty() && !paths_.contains(path))
            paths_.append(path);
    }
}

void RecentFiles::add(const QString& path) {
    paths_.removeAll(path);
    paths_.prepend(path);
    while (paths_.size() > kMaxFiles)
        paths_.removeLast();
    store();
}

void RecentFiles::clear() {
    paths_.clear();
    store();
}

void RecentFiles::store() const {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return;
    settings->remove(kGroup);
    settings->beginGroup(kGroup);
    for (int i = 0; i < paths_.size(); ++i)
        settings->setValue(fileKey(i + 1), paths_.at(i));
}
