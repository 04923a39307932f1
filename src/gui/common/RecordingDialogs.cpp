#include "gui/common/RecordingDialogs.h"

#include <QFileInfo>

namespace {

// A queued name as the dialog gives it back: one typed without a suffix
// (here: one that is not there) gets the suffix of filter, as QFileDialog
// adds its default suffix; one chosen from the list is taken as it is.
QString asTyped(const QString& name, const QString& filter) {
    const QString suffix = FileDialog::suffixOf(filter);
    const QFileInfo info(name);
    if (name.isEmpty() || suffix.isEmpty() || info.exists() || info.isSymLink() ||
        info.fileName().contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + suffix;
}

} // namespace

RecordingDialogs::~RecordingDialogs() {
    handTo(nullptr);
}

void RecordingDialogs::handTo(QObject* owner) {
    if (owner_) {
        MessageBoxes::setShower(owner_, nullptr);
        FileDialog::setChooser(owner_, nullptr);
    }
    owner_ = owner;
    if (owner) {
        MessageBoxes::setShower(owner, this);
        FileDialog::setChooser(owner, this);
    }
}

void RecordingDialogs::forgetBoxes() {
    answers_.clear();
    shown_.clear();
    boxesUnshown_ = false;
}

void RecordingDialogs::forgetFileDialogs() {
    fileNames_.clear();
    requests_.clear();
    saveRequests_.clear();
    fileDialogsUnshown_ = false;
}

qm::MessageAnswer RecordingDialogs::answer(const MessageBoxes::Record& box,
                                           const std::function<qm::MessageAnswer()>& showReal) {
    shown_.append(box);
    if (!answers_.isEmpty())
        return answers_.dequeue();
    if (boxesUnshown_)
        return qm::closedAnswer(box.buttons);
    return showReal();
}

QString RecordingDialogs::openFileName(const FileDialog::OpenRequest& request,
                                       const std::function<QString()>& showReal) {
    requests_.append(request);
    return chosen(showReal);
}

QString RecordingDialogs::saveFileName(const FileDialog::SaveRequest& request,
                                       const std::function<QString()>& showReal) {
    saveRequests_.append(request);
    const bool queued = !fileNames_.isEmpty();
    const QString name = chosen(showReal);
    return queued ? asTyped(name, request.filters.value(0)) : name;
}

QString RecordingDialogs::chosen(const std::function<QString()>& showReal) {
    if (!fileNames_.isEmpty())
        return fileNames_.dequeue();
    if (fileDialogsUnshown_)
        return QString();
    return showReal();
}
