#pragma once

#include "gui/common/FileDialog.h"

#include <QString>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

class QIODevice;
class QWidget;

// Every file the program writes goes through here: whole or not at all, and
// never over what it must not replace. The text goes to a temporary file in
// the target's folder, which is renamed over the target only when that is a
// regular file or absent; a claim file that is open (under any name, see
// setKeptFiles), a folder, a device, a named pipe or a socket is refused, and
// a write that fails leaves the old target untouched.
//
// save() is the one way to ask the user for a file to write (the save dialog
// is FileDialog's, open to nothing else), so no export can skip the checks:
//
//   ExportFile::Request request;
//   request.dialog.caption = QStringLiteral("Export Results");
//   request.dialog.filters = {QStringLiteral("CSV (*.csv)")};
//   request.what = QStringLiteral("2 rows");
//   if (const ExportFile::Written written = ExportFile::save(this, request, writeRows))
//       confirm(written.confirmation());
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
    // The same, knowing the file chosen (its suffix may say what to write).
    using PathWriter = std::function<bool(std::ostream& out, const QString& path)>;
    // The same for bytes written straight onto the file (a PDF): false when
    // it could not write them all.
    using DeviceWriter = std::function<bool(QIODevice& device)>;
    // The paths of the files no write may replace.
    using KeptFiles = std::function<std::vector<std::string>()>;

    struct Request {
        FileDialog::SaveRequest dialog;
        QString what; // for Written::what
        // The message when the file could not be written, from its path (as
        // the system writes it) and the reason; "Unable to write PATH:\nREASON"
        // when not given. The message box is titled as the dialog; an empty
        // message shows none (the writer has said why, or was cancelled).
        std::function<QString(const QString& path, const QString& reason)> failure;
    };

    // Asks for a file with the save dialog and writes it as write() does;
    // a file that was not written is reported over parent. What was written,
    // or nothing when the user cancelled or it failed.
    static Written save(QWidget* parent, const Request& request, const PathWriter& writer);
    static Written saveDevice(QWidget* parent, const Request& request, const DeviceWriter& writer);

    // True once path holds what writer wrote. Otherwise false, nothing at
    // path changed, and reason says why (to follow the path and a colon).
    static bool write(const QString& path, const Writer& writer, QString& reason);

    // Where every write asks which files it must leave alone: the run's
    // AppContext answers (the open claim file and the one it is compared
    // with) for as long as it lives; none are kept without one.
    static void setKeptFiles(KeptFiles kept);
};
