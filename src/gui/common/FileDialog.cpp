#include "gui/common/FileDialog.h"

#include <QFileDialog>
#include <QQueue>

namespace {

struct Seam {
    QQueue<QString> fileNames;
    QList<FileDialog::OpenRequest> requests;
    bool testMode = false;
};

Seam& seam() {
    static Seam instance;
    return instance;
}

QString execDialog(QWidget* parent, const FileDialog::OpenRequest& request) {
    QFileDialog dialog(parent, request.caption, request.directory);
    dialog.setObjectName(request.objectName);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Qt shows a filter as "label (patterns)" and matches the patterns in the
    // last parentheses; hiding the details leaves the label as the text shown.
    dialog.setNameFilter(request.filterLabel + QStringLiteral(" (") + request.filterPatterns +
                         QLatin1Char(')'));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.constFirst();
}

} // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const OpenRequest& request) {
    Seam& s = seam();
    s.requests.append(request);
    if (!s.fileNames.isEmpty())
        return s.fileNames.dequeue();
    if (s.testMode)
        return QString();
    return execDialog(parent, request);
}

void FileDialog::setNextFileName(const QString& fileName) {
    seam().fileNames.enqueue(fileName);
}

void FileDialog::setTestMode(bool on) {
    seam().testMode = on;
}

const QList<FileDialog::OpenRequest>& FileDialog::requests() {
    return seam().requests;
}

void FileDialog::reset() {
    seam() = Seam();
}
