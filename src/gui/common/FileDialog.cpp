#include "gui/common/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>
#include <functional>

namespace {

struct Seam {
    QQueue<QString> fileNames;
    QList<FileDialog::OpenRequest> requests;
    QList<FileDialog::SaveRequest> saveRequests;
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
    // Those before it spell their patterns in their labels already.
    const QString filter =
        request.filterLabel + QStringLiteral(" (") + request.filterPatterns + QLatin1Char(')');
    QStringList filters;
    for (const QString& before : request.filtersBefore)
        filters.append(before + before.mid(before.lastIndexOf(QLatin1String(" ("))));
    dialog.setNameFilters(filters << filter);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.selectNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.constFirst();
}

// "*.json" of "JSON (*.json)".
QString suffixOf(const QString& filter) {
    const qsizetype dot = filter.lastIndexOf(QLatin1String("*."));
    return dot < 0 ? QString() : filter.mid(dot + 2).chopped(1);
}

// A queued name as the dialog gives it back: one typed without a suffix
// (here: one that is not there) gets the suffix of filter, as QFileDialog
// adds its default suffix; one chosen from the list is taken as it is.
QString asTyped(const QString& name, const QString& filter) {
    const QString suffix = suffixOf(filter);
    const QFileInfo info(name);
    if (name.isEmpty() || suffix.isEmpty() || info.exists() || info.isSymLink() ||
        info.fileName().contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + suffix;
}

QString execSaveDialog(QWidget* parent, const FileDialog::SaveRequest& request) {
    QFileDialog dialog(parent, request.caption);
    dialog.setObjectName(request.objectName);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(request.filters);
    dialog.selectFile(request.fileName);
    dialog.setDefaultSuffix(suffixOf(request.filters.value(0)));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    // A name typed without a suffix comes back with the filter's: that is the
    // name written, and the one every check is made on.
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.constFirst();
}

// A queued name, Cancel in test mode, or what the user chooses in the dialog.
QString answer(const std::function<QString()>& showDialog) {
    Seam& s = seam();
    if (!s.fileNames.isEmpty())
        return s.fileNames.dequeue();
    if (s.testMode)
        return QString();
    return showDialog();
}

} // namespace

QString FileDialog::getSaveFileName(QWidget* parent, const SaveRequest& request) {
    seam().saveRequests.append(request);
    const bool queued = !seam().fileNames.isEmpty();
    const QString name = answer([&] { return execSaveDialog(parent, request); });
    return queued ? asTyped(name, request.filters.value(0)) : name;
}

QString FileDialog::getOpenFileName(QWidget* parent, const OpenRequest& request) {
    seam().requests.append(request);
    return answer([&] { return execDialog(parent, request); });
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

const QList<FileDialog::SaveRequest>& FileDialog::saveRequests() {
    return seam().saveRequests;
}

void FileDialog::reset() {
    seam() = Seam();
}
