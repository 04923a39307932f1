#include "gui/claimform/ClaimExport.h"

#include "core/report/ClaimReport.h"
#include "gui/common/CoreText.h"
#include "gui/common/DeviceStreamBuffer.h"
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

    // A file that is there already is replaced only once the new one is whole.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        DeviceStreamBuffer buffer(file);
        std::ostream out(&buffer);
        if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            qm::ClaimReport::writeCsv(out, claim);
        else
            qm::ClaimReport::writeJsonDocument(out, claim, key);
        if (out.flush() && file.commit())
            return true;
    }
    MessageBoxes::showMessage(parent,
                              QStringLiteral("Unable to export the claim to %1: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()),
                              QStringLiteral("Export Claim"), qm::MessageIcon::Critical);
    return false;
}
