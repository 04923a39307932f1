#pragma once

#include <QString>

class QAbstractItemModel;
class QWidget;

// Writes the rows of a table model as CSV (UTF-8, a header row of the column
// titles, RFC 4180 quoting): each cell as the table shows it.
class ResultsExport {
public:
    // Asks for a file with a save dialog (object name dialogName, title
    // caption, offering suggestedPath) and writes the rows there; the file is
    // replaced only once it is written whole. False when the user cancelled or
    // the file could not be written (which is reported, titled caption).
    static bool toFile(QWidget* parent, const QAbstractItemModel& rows, const QString& dialogName,
                       const QString& caption, const QString& suggestedPath);
};
