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

std::vector<std::string> keptPaths() {
    const ExportFile::KeptFiles& kept = keptFiles();
    return kept ? kept() : std::vector<std::string>();
}

void reportFailure(QWidget* parent, const ExportFile::Request& request, const QString& path,
                   const QString& reason) {
    const QString shown = QDir::toNativeSeparators(path);
    const QString text = request.failure
                             ? request.failure(shown, reason)
                             : QStringLiteral("Unable to write %1:\n%2").arg(shown, reason);
    if (!text.isEmpty())
        MessageBoxes::showMessage(parent, text, request.dialog.caption, qm::MessageIcon::Critical);
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
    reportFailure(parent, request, path, reason);
    return {};
}

ExportFile::Written ExportFile::saveDevice(QWidget* parent, const Request& request,
                                           const DeviceWriter& writer) {
    const QString path = FileDialog::getSaveFileName(parent, request.dialog);
    if (path.isEmpty())
        return {};
    QString reason;
    if (ExportWriter::write(path, CoreText::fromPath(path), keptPaths(), writer, reason))
        return {path, request.what};
    reportFailure(parent, request, path, reason);
    return {};
}

bool ExportFile::write(const QString& path, const Writer& writer, QString& reason) {
    return ExportWriter::write(
        path, CoreText::fromPath(path), keptPaths(),
        [&writer](QIODevice& device) {
            DeviceStreamBuffer buffer(device);
            std::ostream out(&buffer);
            return writer(out) && bool(out.flush());
        },
        reason);
}
