#include "gui/results/ResultsExport.h"

#include "core/report/CsvWriter.h"
#include "gui/common/ExportFile.h"
#include "gui/common/ExportFolder.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"

#include <QAbstractItemModel>
#include <QDir>
#include <ostream>
#include <string>
#include <vector>

namespace {

// A file that refuses a write stops the export at the next row.
bool writeRows(const QAbstractItemModel& rows, std::ostream& out) {
    const int columns = rows.columnCount();
    std::vector<std::string> header;
    for (int column = 0; column < columns; ++column)
        header.push_back(rows.headerData(column, Qt::Horizontal).toString().toStdString());
    qm::CsvWriter csv(out, header);
    for (int row = 0, count = rows.rowCount(); row < count; ++row) {
        for (int column = 0; column < columns; ++column)
            csv.field(rows.index(row, column).data().toString().toStdString());
        csv.endRow();
        if (!out)
            return false;
    }
    return bool(out.flush());
}

} // namespace

ExportFile::Written ResultsExport::toFile(QWidget* parent, const QAbstractItemModel& rows,
                                          const QString& dialogName, const QString& caption,
                                          const QString& suggestedPath,
                                          const std::vector<std::string>& openClaimFiles) {
    FileDialog::SaveRequest request;
    request.objectName = dialogName;
    request.caption = caption;
    request.filters = QStringList{QStringLiteral("CSV (*.csv)")};
    request.fileName = ExportFolder::suggest(suggestedPath);
    const QString path = FileDialog::getSaveFileName(parent, request);
    if (path.isEmpty())
        return {};

    QString reason;
    const bool written = ExportFile::write(
        path, openClaimFiles, [&rows](std::ostream& out) { return writeRows(rows, out); }, reason);
    if (!written) {
        MessageBoxes::showMessage(parent,
                                  QStringLiteral("Unable to write ") +
                                      QDir::toNativeSeparators(path) + QStringLiteral(":\n") +
                                      reason,
                                  caption, qm::MessageIcon::Critical);
        return {};
    }
    ExportFolder::remember(path);
    const int count = rows.rowCount();
    return {path, count == 1 ? QStringLiteral("1 row") : QStringLiteral("%L1 rows").arg(count)};
}
