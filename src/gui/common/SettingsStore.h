#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

// The per-user settings store (organization and application "Quillmark"),
// opened by every part that remembers something between runs: window places
// (see WindowPositions) and the recent files list.
//
// A settings file that is there but is not a regular file (a named pipe, a
// folder, a device) is never opened: reading a pipe would block the program
// for good. Nor is one larger than kMaxBytes, which no run of ours writes
// and which would take many seconds to parse at every start. The store is
// then unusable for the rest of the run; open() says so once on standard
// error and gives nullptr, and the callers keep their defaults and write
// nothing.
class SettingsStore {
public:
    // Window places, splitters and recent files take a few KiB.
    static constexpr qint64 kMaxBytes = 1024 * 1024;

    static std::unique_ptr<QSettings> open();

    // Tests point the store at an INI file of their own; an empty path goes
    // back to the user's real store.
    static void setFile(const QString& iniPath);

    // Every file that opening the store would read, the one it writes first.
    static QStringList files();
};
