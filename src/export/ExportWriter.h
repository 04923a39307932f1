#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QIODevice;

// The one way a file is written, by the viewer and the command-line tool:
// whole or not at all, and never over what it must not replace. The bytes go
// to a temporary file in the target's folder, which is renamed over the
// target only when that is a regular file or absent; a claim file that is
// open (under any name), a folder, a device, a named pipe or a socket is
// refused, and a write that fails leaves the old target untouched.
//
//   QString reason;
//   if (!ExportWriter::write(path, bytes, {claimFile}, writePdf, reason))
//       report(path, reason);
class ExportWriter {
public:
    // Writes into an open device; false when it could not write all of it
    // (errno, where the system left one, says why).
    using Writer = std::function<bool(QIODevice& device)>;

    // True once path holds what writer wrote. Otherwise false, nothing at
    // path changed, and reason says why (to follow the path and a colon).
    // target: the same path as the file system's bytes, looked at before the
    // write and again before the rename; keptFiles: the claim files that are
    // open, which it never replaces.
    static bool write(const QString& path, const std::string& target,
                      const std::vector<std::string>& keptFiles, const Writer& writer,
                      QString& reason);

    // Why nothing may be written at target (as write() would refuse it
    // before writing), or empty when it may: for a check before long work.
    static QString refusal(const std::string& target, const std::vector<std::string>& keptFiles);
};
