#include "PdfFile.h"

#include "PdfOption.h"
#include "core/Version.h"
#include "core/common/FileText.h"
#include "export/ExportWriter.h"
#include "print/PageFrame.h"

#include <QFile>
#include <QPdfWriter>

namespace qm::cli {

namespace {

void failed(const PdfOption& option, const QString& reason, std::ostream& err) {
    err << "quillmark-cli: cannot write "
        << FileText::toPrintable(FileText::pathToUtf8(option.path())) << ": "
        << reason.toStdString() << '\n';
}

// Qt writes a file by a name it decodes as UTF-8: a name that is not would
// be written as another one.
QString writableName(const std::string& path) {
    const QByteArray bytes = QByteArray::fromStdString(path);
    const QString name = QFile::decodeName(bytes);
    return QFile::encodeName(name) == bytes ? name : QString();
}

} // namespace

bool PdfFile::mayWrite(const PdfOption& option, const std::string& claimFile, std::ostream& err) {
    QString reason = ExportWriter::refusal(option.path(), {claimFile});
    if (reason.isEmpty() && writableName(option.path()).isEmpty())
        reason = QStringLiteral("its name is not valid UTF-8");
    if (!reason.isEmpty())
        failed(option, reason, err);
    return reason.isEmpty();
}

bool PdfFile::write(const PdfOption& option, const std::string& claimFile, const QString& title,
                    const Print& print, std::ostream& err) {
    if (!mayWrite(option, claimFile, err))
        return false;
    bool tried = false, printed = false;
    QString reason;
    const bool written = ExportWriter::write(
        writableName(option.path()), option.path(), {claimFile},
        [&](QIODevice& device) {
            QPdfWriter writer(&device);
            writer.setCreator(QStringLiteral("Quillmark %1.%2.%3")
                                  .arg(kVersionMajor)
                                  .arg(kVersionMinor)
                                  .arg(kVersionRevision));
            writer.setTitle(title);
            PageFrame::setUp(writer, option.paper());
            tried = true;
            printed = print(writer);
            return printed;
        },
        reason);
    if (!written)
        failed(option, tried && !printed ? QStringLiteral("its pages could not be drawn") : reason,
               err);
    return written;
}

} // namespace qm::cli
