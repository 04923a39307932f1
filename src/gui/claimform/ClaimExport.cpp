#include "gui/claimform/ClaimExport.h"

#include "core/report/ClaimReport.h"
#include "gui/common/CoreText.h"
#include "gui/common/ExportFolder.h"

#include <QDir>
#include <sstream>

QByteArray ClaimExport::json(const qm::AssembledClaim& claim, const std::string& key) {
    std::ostringstream out;
    qm::ClaimReport::writeJsonDocument(out, claim, key);
    return QByteArray::fromStdString(out.str());
}

ExportFile::Written ClaimExport::run(QWidget* parent, const qm::AssembledClaim& claim,
                                     const std::string& key, const QString& folder) {
    ExportFile::Request request;
    request.dialog.objectName = QStringLiteral("dlgExportClaim");
    request.dialog.caption = QStringLiteral("Export Claim");
    request.dialog.filters =
        QStringList{QStringLiteral("JSON (*.json)"), QStringLiteral("CSV (*.csv)")};
    request.dialog.fileName = ExportFolder::suggest(
        QDir(folder).filePath(CoreText::fromFile(key) + QStringLiteral(".json")));
    request.what = QStringLiteral("claim ") + CoreText::fromFile(key);
    request.failure = [](const QString& path, const QString& reason) {
        return QStringLiteral("Unable to export the claim to %1: %2").arg(path, reason);
    };
    const ExportFile::Written written =
        ExportFile::save(parent, request, [&](std::ostream& out, const QString& path) {
            if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
                qm::ClaimReport::writeCsv(out, claim);
            else
                qm::ClaimReport::writeJsonDocument(out, claim, key);
            return bool(out);
        });
    if (written)
        ExportFolder::remember(written.path);
    return written;
}
