#pragma once

#include "gui/common/FindState.h"

#include <QObject>
#include <QString>
#include <memory>

namespace qm {
class OpenClaimFile;
}

// One open claim file as the windows see it: the engine's open file and what
// the windows of that file share (the find state). The main window makes one
// for each file it opens and deletes it when the file closes (File > Close,
// the next open, the end of the run); every window that shows something of
// the file follows it and closes with it.
class ClaimDocument : public QObject {
    Q_OBJECT
public:
    explicit ClaimDocument(std::shared_ptr<qm::OpenClaimFile> file, QObject* parent = nullptr);
    // Says closing() first, while the session is still whole.
    ~ClaimDocument() override;

    qm::OpenClaimFile& file() const { return *file_; }
    // For work that may outlive the session (a worker reading the file).
    const std::shared_ptr<qm::OpenClaimFile>& sharedFile() const { return file_; }
    // The path as the user named it.
    QString path() const;

    // The title of a window about the file: "what (path)", shown as plain
    // text whatever the path holds.
    QString windowTitle(const QString& what) const;
    // A file name to offer for an export: beside the claim file, its name
    // without the extension followed by suffix ("-problems.csv").
    QString besideFile(const QString& suffix) const;

    FindState& findState() { return findState_; }

    // The window that opened the file (the main window), over which dialogs
    // about the file show; nullptr when none.
    QWidget* ownerWindow() const;

    // Closes window (a document's content, or a window of its own) when the
    // file closes.
    void closeWithFile(QWidget* window);

signals:
    // The file is closing: whatever shows it closes now.
    void closing();

private:
    std::shared_ptr<qm::OpenClaimFile> file_;
    FindState findState_;
};
