#include "gui/compare/CompareExport.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/compare/CompareReport.h"
#include "core/compare/UnitComparer.h"
#include "core/compare/UnitReader.h"
#include "core/openfile/OpenClaimFile.h"
#include "core/report/CsvWriter.h"
#include "gui/common/CountText.h"
#include "gui/common/ExportFolder.h"
#include "gui/common/ExportProgress.h"
#include "gui/compare/CompareFeed.h"
#include "gui/compare/CompareModel.h"

#include <QAbstractProxyModel>
#include <array>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr std::array<const char*, 5> kFieldHeaders{"Record", "Field", "Field Name", "Value in A",
                                                   "Value in B"};

// A value as the command line's diff prints it, without its quotes.
std::string shown(const qm::FieldChange& field, bool a) {
    if (!(a ? field.inA : field.inB))
        return "(no record)";
    const std::string quoted =
        qm::CompareReport::shownValue(a ? field.a : field.b, a ? field.b : field.a);
    return quoted.substr(1, quoted.size() - 2);
}

// The fields that differ between the row's two units, read again; none for
// a unit only one file has, a line, or a file that changed meanwhile.
std::vector<qm::FieldChange> changes(const CompareFeed& feed, const CompareRow& row) {
    if (row.kind != qm::DifferenceKind::Changed || row.unit == qm::CompareUnit::Line ||
        !row.a.present() || !row.b.present() || !feed.fileA() || !feed.fileB())
        return {};
    std::array<qm::UnitRecords, 2> records;
    const std::array<qm::OpenClaimFile*, 2> files{feed.fileA().get(), feed.fileB().get()};
    const std::array<const qm::UnitPlace*, 2> places{&row.a, &row.b};
    for (std::size_t side = 0; side < 2; ++side)
        if (!qm::UnitReader::read(files[side]->reader(), files[side]->layouts(), row.unit,
                                  *places[side], records[side]))
            return {};
    return qm::UnitComparer(files[0]->layouts(), files[1]->layouts())
        .changes(records[0], records[1]);
}

bool writeRows(const CompareFeed& feed, const QAbstractItemModel& shownRows, std::ostream& out,
               ExportProgress& progress) {
    const auto* proxy = qobject_cast<const QAbstractProxyModel*>(&shownRows);
    const CompareModel* model = feed.model();
    const int columns = shownRows.columnCount();
    std::vector<std::string> header;
    for (int column = 0; column < columns; ++column)
        header.push_back(shownRows.headerData(column, Qt::Horizontal).toString().toStdString());
    header.insert(header.end(), kFieldHeaders.begin(), kFieldHeaders.end());
    qm::CsvWriter csv(out, header);
    progress.watch(shownRows);
    for (int row = 0, count = shownRows.rowCount(); row < count; ++row) {
        if (!progress.goOn(row))
            return false;
        std::vector<std::string> unit;
        for (int column = 0; column < columns; ++column)
            unit.push_back(shownRows.index(row, column).data().toString().toStdString());
        const int source = proxy ? proxy->mapToSource(shownRows.index(row, 0)).row() : row;
        const std::vector<qm::FieldChange> fields = source >= 0 && model
                                                        ? changes(feed, model->row(source))
                                                        : std::vector<qm::FieldChange>();
        auto writeUnit = [&] {
            for (const std::string& text : unit)
                csv.field(text);
        };
        if (fields.empty()) {
            writeUnit();
            for (std::size_t i = 0; i < kFieldHeaders.size(); ++i)
                csv.field("");
            csv.endRow();
        }
        for (const qm::FieldChange& field : fields) {
            writeUnit();
            std::string name(qm::trimSpaces(field.name));
            if (!field.otherName.empty())
                name += " (B: " + std::string(qm::trimSpaces(field.otherName)) + ')';
            csv.fileField(field.record)
                .fileField(field.fieldId)
                .fileField(name)
                .field(shown(field, true))
                .field(shown(field, false))
                .endRow();
        }
        if (!out)
            return false;
    }
    return bool(out.flush());
}

} // namespace

ExportFile::Written CompareExport::toFile(QWidget* parent, const CompareFeed& feed,
                                          const QAbstractItemModel& shown,
                                          const QString& suggestedPath) {
    ExportFile::Request request;
    request.dialog.objectName = QStringLiteral("dlgExportComparison");
    request.dialog.caption = QStringLiteral("Export Comparison");
    request.dialog.filters = QStringList{QStringLiteral("CSV (*.csv)")};
    request.dialog.fileName = ExportFolder::suggest(suggestedPath);
    const int count = shown.rowCount();
    request.what = CountText::number(count) +
                   (count == 1 ? QStringLiteral(" difference") : QStringLiteral(" differences"));
    ExportProgress progress(parent, request.dialog.caption, count);
    progress.tellFailures(request);
    const ExportFile::Written written =
        ExportFile::save(parent, request, [&](std::ostream& out, const QString&) {
            return writeRows(feed, shown, out, progress);
        });
    if (written)
        ExportFolder::remember(written.path);
    return written;
}
