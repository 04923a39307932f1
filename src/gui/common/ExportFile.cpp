#include "gui/common/ExportFile.h"

#include "core/io/ExportTarget.h"
#include "gui/common/CoreText.h"
#include "gui/common/DeviceStreamBuffer.h"
#include "gui/common/MessageBoxes.h"

#include <QDir>
#include <QSaveFile>
#include <cerrno>
#include <system_error>

namespace {

ExportFile::KeptFiles& keptFiles() {
    static ExportFile::KeptFiles kept;
    return kept;
}

bool mayWrite(const std::string& path, QString& reason) {
    const ExportFile::KeptFiles& kept = keptFiles();
    const qm::ExportTarget target =
        qm::ExportTarget::inspect(path, kept ? kept() : std::vector<std::string>());
    if (!target.writable())
        reason = CoreText::fromUtf8(target.reason());
    return target.writable();
}

// Qt gives no reason for a write the system cut short (a full disk, a file
// grown too large); the system's own is left in errno by the failed call.
QString writeFailure(const QSaveFile& file, int error) {
    return error != 0 ? CoreText::fromUtf8(std::generic_category().message(error))
                      : file.errorString();
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
    const std::string target = CoreText::fromPath(path);
    if (!mayWrite(target, reason))
        return false;
    // Dropped unless committed: the temporary file goes, the target stays as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    DeviceStreamBuffer buffer(file);
    std::ostream out(&buffer);
    // QSaveFile::commit() overlooks a failure of the last buffered write (a
    // full disk) and would put a cut-off file in place: flush it first.
    errno = 0;
    if (!writer(out) || !out.flush() || !file.flush()) {
        reason = writeFailure(file, errno);
        return false;
    }
    // What stands at the path may have changed while the export was written.
    if (!mayWrite(target, reason))
        return false;
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}
