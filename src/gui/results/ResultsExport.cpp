#include "gui/results/ResultsExport.h"

#include "core/report/CsvWriter.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QSaveFile>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Rows are handed to the file this many at a time, so a long export never
// holds all of its text at once.
constexpr int kRowsPerWrite = 4096;

bool writeText(QSaveFile& file, std::ostringstream& text) {
    const std::string bytes = text.str();
    text.str(std::string());
    return file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

// Writes the rows to out, calling flush to hand on what was written so far
// every kRowsPerWrite rows and at the end; stops when flush returns false.
template <typename Flush>
bool writeRows(const QAbstractItemModel& rows, std::ostream& out, Flush&& flush) {
    const int columns = rows.columnCount();
    std::vector<std::string> header;
    for (int column = 0; column < columns; ++column)
        header.push_back(rows.headerData(column, Qt::Horizontal).toString().toStdString());
    qm::CsvWriter csv(out, header);
    for (int row = 0, count = rows.rowCount(); row < count; ++row) {
        for (int column = 0; column < columns; ++column)
            csv.field(rows.index(row, column).data().toString().toStdString());
        csv.endRow();
        if ((row + 1) % kRowsPerWrite == 0 && !flush())
            return false;
    }
    return flush();
}

} // namespace

bool ResultsExport::toFile(QWidget* parent, const QAbstractItemModel& rows,
                           const QString& dialogName, const QString& caption,
                           const QString& suggestedPath) {
    FileDialog::SaveRequest request;
    request.objectName = dialogName;
    request.caption = caption;
    request.filters = QStringList{QStringLiteral("CSV (*.csv)")};
    request.fileName = suggestedPath;
    const QString path = FileDialog::getSaveFileName(parent, request);
    if (path.isEmpty())
        return false;

    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        std::ostringstream text;
        written = writeRows(rows, text, [&] { return writeText(file, text); }) && file.commit();
    }
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        MessageBoxes::showMessage(parent,
                                  QStringLiteral("Unable to write ") +
                                      QDir::toNativeSeparators(path) + QStringLiteral(":\n") +
                                      reason,
                                  caption, qm::MessageIcon::Critical);
    }
    return written;
}
