#include "gui/claimform/ClaimExport.h"

#include "core/report/ClaimReport.h"
#include "gui/common/CoreText.h"
#include "gui/common/ExportFolder.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"

#include <QDir>
#include <sstream>

QByteArray ClaimExport::json(const qm::AssembledClaim& claim, const std::string& key) {
    std::ostringstream out;
    qm::ClaimReport::writeJsonDocument(out, claim, key);
    return QByteArray::fromStdString(out.str());
}

ExportFile::Written ClaimExport::run(QWidget* parent, const qm::AssembledClaim& claim,
                                     const std::string& key, const QString& folder,
                                     const std::vector<std::string>& openClaimFiles) {
    FileDialog::SaveRequest request;
    request.objectName = QStringLiteral("dlgExportClaim");
    request.caption = QStringLiteral("Export Claim");
    request.filters = QStringList{QStringLiteral("JSON (*.json)"), QStringLiteral("CSV (*.csv)")};
    request.fileName = ExportFolder::suggest(
        QDir(folder).filePath(CoreText::fromFile(key) + QStringLiteral(".json")));
    const QString path = FileDialog::getSaveFileName(parent, request);
    if (path.isEmpty())
        return {};

    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    QString reason;
    const bool written = ExportFile::write(
        path, openClaimFiles,
        [&](std::ostream& out) {
            if (csv)
                qm::ClaimReport::writeCsv(out, claim);
            else
                qm::ClaimReport::writeJsonDocument(out, claim, key);
            return bool(out);
        },
        reason);
    if (!written) {
        MessageBoxes::showMessage(parent,
                                  QStringLiteral("Unable to export the claim to %1: %2")
                                      .arg(QDir::toNativeSeparators(path), reason),
                                  QStringLiteral("Export Claim"), qm::MessageIcon::Critical);
        return {};
    }
    ExportFolder::remember(path);
    return {path, QStringLiteral("claim ") + CoreText::fromFile(key)};
}
