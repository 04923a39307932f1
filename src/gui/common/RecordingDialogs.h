#pragma once

#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"

#include <QList>
#include <QPointer>
#include <QQueue>

// Stands in for the user at every message box and file dialog over the
// object it is handed to (for tests, benchmarks and the screenshot tool):
// answers from queues, keeps every box and dialog asked for, and, while
// "unshown", answers the rest as closing them would (a box its
// qm::closedAnswer, a dialog Cancel), so that a forgotten answer cannot hang
// a run. Otherwise the rest are shown for real. Takes itself back from the
// object when destroyed.
class RecordingDialogs : public MessageBoxes::Shower, public FileDialog::Chooser {
public:
    RecordingDialogs() = default;
    ~RecordingDialogs() override;
    RecordingDialogs(const RecordingDialogs&) = delete;
    RecordingDialogs& operator=(const RecordingDialogs&) = delete;

    // Stands in at every box and dialog over owner (the application: all).
    void handTo(QObject* owner);

    // A queued answer answers the next box without showing it.
    void setNextAnswer(qm::MessageAnswer answer) { answers_.enqueue(answer); }
    void setBoxesUnshown(bool unshown) { boxesUnshown_ = unshown; }
    // Every box asked for since the boxes were last forgotten, in order.
    const QList<MessageBoxes::Record>& shown() const { return shown_; }
    // Forgets queued answers and shown boxes; boxes are shown again.
    void forgetBoxes();

    // A queued name answers the next dialog, open or save, without showing
    // it (an empty name acts as Cancel).
    void setNextFileName(const QString& fileName) { fileNames_.enqueue(fileName); }
    void setFileDialogsUnshown(bool unshown) { fileDialogsUnshown_ = unshown; }
    // Every dialog asked for since the dialogs were last forgotten, in order.
    const QList<FileDialog::OpenRequest>& requests() const { return requests_; }
    const QList<FileDialog::SaveRequest>& saveRequests() const { return saveRequests_; }
    // Forgets queued names and requests; dialogs are shown again.
    void forgetFileDialogs();

    qm::MessageAnswer answer(const MessageBoxes::Record& box,
                             const std::function<qm::MessageAnswer()>& showReal) override;
    QString openFileName(const FileDialog::OpenRequest& request,
                         const std::function<QString()>& showReal) override;
    QString saveFileName(const FileDialog::SaveRequest& request,
                         const std::function<QString()>& showReal) override;

private:
    // A queued name, Cancel while unshown, or what the real dialog gives.
    QString chosen(const std::function<QString()>& showReal);

    QPointer<QObject> owner_;
    QQueue<qm::MessageAnswer> answers_;
    QList<MessageBoxes::Record> shown_;
    bool boxesUnshown_ = false;
    QQueue<QString> fileNames_;
    QList<FileDialog::OpenRequest> requests_;
    QList<FileDialog::SaveRequest> saveRequests_;
    bool fileDialogsUnshown_ = false;
};
