#pragma once

#include <QString>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Writes an export: whole or not at all, and never over what it must not
// replace. The text goes to a temporary file in the target's folder, which is
// renamed over the target only when that is a regular file or absent; the
// open claim file (under any name), a folder, a device, a named pipe or a
// socket is refused, and a write that fails leaves the old target untouched.
//
//   QString reason;
//   if (!ExportFile::write(path, context.openClaimFiles(), writeRows, reason))
//       tellTheUser(path, reason);
class ExportFile {
public:
    // An export that was written, for the status bar to confirm.
    struct Written {
        QString path; // empty: nothing was written (cancelled, or it failed)
        QString what; // "2 rows", "claim CA04831"
        explicit operator bool() const { return !path.isEmpty(); }
        // "Exported 2 rows to /home/ann/claims-search.csv".
        QString confirmation() const;
    };

    // Writes the export into out; false when it could not write all of it.
    using Writer = std::function<bool(std::ostream& out)>;

    // True once path holds what writer wrote. Otherwise false, nothing at
    // path changed, and reason says why (to follow the path and a colon).
    // openClaimFiles: the paths of the claim files that are open.
    static bool write(const QString& path, const std::vector<std::string>& openClaimFiles,
                      const Writer& writer, QString& reason);
};
