#pragma once

#include "gui/common/ExportFile.h"

#include <QString>

class QAbstractItemModel;
class QWidget;

// Writes the rows of a table model as CSV (UTF-8, a header row of the column
// titles, RFC 4180 quoting): each cell as the table shows it.
class ResultsExport {
public:
    // Asks for a file with a save dialog (object name dialogName, title
    // caption, offering suggestedPath's name in the last export folder, see
    // ExportFolder) and writes the rows there through ExportFile::save:
    // whole or not at all, and never over a claim file that is open, a
    // folder, a device, a pipe or a socket. What was written, or nothing when
    // the user cancelled or the file was not written (which is reported,
    // titled caption).
    static ExportFile::Written toFile(QWidget* parent, const QAbstractItemModel& rows,
                                      const QString& dialogName, const QString& caption,
                                      const QString& suggestedPath);
};
