#include "gui/common/FileDialog.h"

#include "gui/common/HandedSeam.h"

#include <QFileDialog>

namespace {

constexpr char kChooser[] = "qm.fileChooser";

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

QString execSaveDialog(QWidget* parent, const FileDialog::SaveRequest& request) {
    QFileDialog dialog(parent, request.caption);
    dialog.setObjectName(request.objectName);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(request.filters);
    dialog.selectFile(request.fileName);
    dialog.setDefaultSuffix(FileDialog::suffixOf(request.filters.value(0)));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) {
                         dialog.setDefaultSuffix(FileDialog::suffixOf(filter));
                     });
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    // A name typed without a suffix comes back with the filter's: that is the
    // name written, and the one every check is made on.
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.constFirst();
}

} // namespace

QString FileDialog::suffixOf(const QString& filter) {
    const qsizetype dot = filter.lastIndexOf(QLatin1String("*."));
    return dot < 0 ? QString() : filter.mid(dot + 2).chopped(1);
}

QString FileDialog::getSaveFileName(QWidget* parent, const SaveRequest& request) {
    const auto showReal = [parent, &request] {
        return execSaveDialog(parent, request);
    };
    if (Chooser* chooser = HandedSeam<Chooser>::over(parent, kChooser))
        return chooser->saveFileName(request, showReal);
    return showReal();
}

QString FileDialog::getOpenFileName(QWidget* parent, const OpenRequest& request) {
    const auto showReal = [parent, &request] {
        return execDialog(parent, request);
    };
    if (Chooser* chooser = HandedSeam<Chooser>::over(parent, kChooser))
        return chooser->openFileName(request, showReal);
    return showReal();
}

void FileDialog::setChooser(QObject* owner, Chooser* chooser) {
    HandedSeam<Chooser>::hand(owner, kChooser, chooser);
}
