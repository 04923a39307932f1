#include "gui/claimform/ClaimExport.h"

#include "core/report/ClaimReport.h"
#include "gui/common/CoreText.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"

#include <QDir>
#include <QSaveFile>
#include <sstream>

QByteArray ClaimExport::json(const qm::AssembledClaim& claim, const std::string& key) {
    std::ostringstream out;
    qm::ClaimReport::writeJsonDocument(out, claim, key);
    return QByteArray::fromStdString(out.str());
}

QByteArray ClaimExport::csv(const qm::AssembledClaim& claim) {
    std::ostringstream out;
    qm::ClaimReport::writeCsv(out, claim);
    return QByteArray::fromStdString(out.str());
}

bool ClaimExport::run(QWidget* parent, const qm::AssembledClaim& claim, const std::string& key,
                      const QString& folder) {
    FileDialog::SaveRequest request;
    request.objectName = QStringLiteral("dlgExportClaim");
    request.caption = QStringLiteral("Export Claim");
    request.filters = QStringList{QStringLiteral("JSON (*.json)"), QStringLiteral("CSV (*.csv)")};
    request.fileName = QDir(folder).filePath(CoreText::fromFile(key) + QStringLiteral(".json"));
    const QString path = FileDialog::getSaveFileName(parent, request);
    if (path.isEmpty())
        return false;

    const bool asCsv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    // A file that is there already is replaced only once the new one is whole.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(asCsv ? csv(claim) : json(claim, key)) >= 0 &&
        file.commit())
        return true;
    MessageBoxes::showMessage(parent,
                              QStringLiteral("Unable to export the claim to %1: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()),
                              QStringLiteral("Export Claim"), qm::MessageIcon::Critical);
    return false;
}
