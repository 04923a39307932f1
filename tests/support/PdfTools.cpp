#include "PdfTools.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

bool PdfTools::available() {
    for (const char* tool : {"pdftotext", "pdfinfo", "pdfimages", "pdftoppm"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return false;
    return true;
}

QStringList PdfTools::pages(const QString& path) {
    QStringList pages =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")})
            .split(QLatin1Char('\f'));
    // The text ends with a form feed after the last page.
    if (!pages.isEmpty() && pages.constLast().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString PdfTools::info(const QString& path, const QString& key) {
    const QStringList lines = run(QStringLiteral("pdfinfo"), {path}).split(QLatin1Char('\n'));
    for (const QString& line : lines)
        if (line.startsWith(key + QLatin1Char(':')))
            return line.mid(key.size() + 1).trimmed();
    return QString();
}

int PdfTools::imageCount(const QString& path) {
    // A header of two lines, then one line per picture.
    const QStringList lines = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path})
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return int(lines.size()) - 2;
}

QImage PdfTools::render(const QString& path, int page, int dpi) {
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
         QString::number(page), QStringLiteral("-l"), QString::number(page),
         QStringLiteral("-singlefile"), path, stem});
    return QImage(stem + QStringLiteral(".png"));
}

bool PdfTools::inOrder(QString text, const QStringList& parts) {
    static const QRegularExpression blanks(QStringLiteral(" +"));
    text.replace(blanks, QStringLiteral(" "));
    qsizetype at = 0;
    for (QString part : parts) {
        part.replace(blanks, QStringLiteral(" "));
        const qsizetype found = text.indexOf(part, at);
        if (found < 0) {
            qWarning("not found after %lld: %s", qlonglong(at), qPrintable(part));
            return false;
        }
        at = found + part.size();
    }
    return true;
}
