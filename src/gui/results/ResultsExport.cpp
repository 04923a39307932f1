#include "gui/results/ResultsExport.h"

#include "core/report/CsvWriter.h"
#include "gui/common/ExportFile.h"
#include "gui/common/ExportFolder.h"
#include "gui/common/ExportProgress.h"

#include <QAbstractItemModel>
#include <ostream>
#include <string>
#include <vector>

namespace {

bool writeRows(const QAbstractItemModel& rows, std::ostream& out, ExportProgress& progress) {
    const int columns = rows.columnCount();
    std::vector<std::string> header;
    for (int column = 0; column < columns; ++column)
        header.push_back(rows.headerData(column, Qt::Horizontal).toString().toStdString());
    qm::CsvWriter csv(out, header);
    progress.watch(rows);
    for (int row = 0, count = rows.rowCount(); row < count; ++row) {
        if (!progress.goOn(row))
            return false;
        for (int column = 0; column < columns; ++column)
            csv.field(rows.index(row, column).data().toString().toStdString());
        csv.endRow();
        // A file that refuses a write stops the export at the next row.
        if (!out)
            return false;
    }
    return bool(out.flush());
}

} // namespace

ExportFile::Written ResultsExport::toFile(QWidget* parent, const QAbstractItemModel& rows,
                                          const QString& dialogName, const QString& caption,
                                          const QString& suggestedPath) {
    ExportFile::Request request;
    request.dialog.objectName = dialogName;
    request.dialog.caption = caption;
    request.dialog.filters = QStringList{QStringLiteral("CSV (*.csv)")};
    request.dialog.fileName = ExportFolder::suggest(suggestedPath);
    const int count = rows.rowCount();
    request.what = count == 1 ? QStringLiteral("1 row") : QStringLiteral("%L1 rows").arg(count);
    ExportProgress progress(parent, caption, count);
    progress.tellFailures(request);
    const ExportFile::Written written =
        ExportFile::save(parent, request, [&](std::ostream& out, const QString&) {
            return writeRows(rows, out, progress);
        });
    if (written)
        ExportFolder::remember(written.path);
    return written;
}
