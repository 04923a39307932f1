#pragma once

#include <QStringList>

// The files opened successfully most lately, newest first and each once, at
// most kMaxFiles of them, remembered between runs in the settings store
// (group "RecentFiles": File1, File2, ... holding full paths).
class RecentFiles {
public:
    static constexpr int kMaxFiles = 8;

    // Reads the list as the last run left it.
    RecentFiles();

    const QStringList& paths() const { return paths_; }
    // Puts path first (moving it up when it was listed) and stores the list.
    void add(const QString& path);
    void clear();

private:
    void store() const;

    QStringList paths_;
};
