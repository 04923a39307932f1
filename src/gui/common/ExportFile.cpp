#include "gui/common/ExportFile.h"

#include "export/ExportWriter.h"
#include "gui/common/CoreText.h"
#include "gui/common/DeviceStreamBuffer.h"
#include "gui/common/MessageBoxes.h"

#include <QDir>

namespace {

ExportFile::KeptFiles& keptFiles() {
    static ExportFile::KeptFiles kept;
    return kept;
}

} // namespace

QString ExportFile::Written::confirmation() const {
    return QStringLiteral("Exported %1 to %2").arg(what, QDir::toNativeSeparators(path));
}

void ExportFile::setKeptFiles(KeptFiles kept) {
    keptFiles() = std::move(kept);
}

ExportFile::Written ExportFile::save(QWidget* parent, const Request& request,
                                     const PathWriter& writer) {
    const QString path = FileDialog::getSaveFileName(parent, request.dialog);
    if (path.isEmpty())
        return {};
    QString reason;
    if (write(
            path, [&](std::ostream& out) { return writer(out, path); }, reason))
        return {path, request.what};
    const QString shown = QDir::toNativeSeparators(path);
    MessageBoxes::showMessage(parent,
                              request.failure
                                  ? request.failure(shown, reason)
                                  : QStringLiteral("Unable to write %1:\n%2").arg(shown, reason),
                              request.dialog.caption, qm::MessageIcon::Critical);
    return {};
}

bool ExportFile::write(const QString& path, const Writer& writer, QString& reason) {
    const ExportFile::KeptFiles& kept = keptFiles();
    return ExportWriter::write(
        path, CoreText::fromPath(path), kept ? kept() : std::vector<std::string>(),
        [&writer](QIODevice& device) {
            DeviceStreamBuffer buffer(device);
            std::ostream out(&buffer);
            return writer(out) && bool(out.flush());
        },
        reason);
}
