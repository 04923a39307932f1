#include "export/ExportWriter.h"

#include "core/io/ExportTarget.h"

#include <QSaveFile>
#include <cerrno>
#include <system_error>

namespace {

// Qt gives no reason for a write the system cut short (a full disk, a file
// grown too large); the system's own is left in errno by the failed call.
QString writeFailure(const QSaveFile& file, int error) {
    return error != 0 ? QString::fromStdString(std::generic_category().message(error))
                      : file.errorString();
}

} // namespace

QString ExportWriter::refusal(const std::string& target,
                              const std::vector<std::string>& keptFiles) {
    const qm::ExportTarget inspected = qm::ExportTarget::inspect(target, keptFiles);
    return inspected.writable() ? QString() : QString::fromStdString(inspected.reason());
}

bool ExportWriter::write(const QString& path, const std::string& target,
                         const std::vector<std::string>& keptFiles, const Writer& writer,
                         QString& reason) {
    reason = refusal(target, keptFiles);
    if (!reason.isEmpty())
        return false;
    // Dropped unless committed: the temporary file goes, the target stays as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    // QSaveFile::commit() overlooks a failure of the last buffered write (a
    // full disk) and would put a cut-off file in place: flush it first.
    errno = 0;
    if (!writer(file) || !file.flush() || file.error() != QFileDevice::NoError) {
        reason = writeFailure(file, errno);
        return false;
    }
    // What stands at the path may have changed while the export was written.
    reason = refusal(target, keptFiles);
    if (!reason.isEmpty())
        return false;
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}
