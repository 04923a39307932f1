#include "gui/document/ClaimDocument.h"

#include "core/openfile/OpenClaimFile.h"
#include "gui/common/CoreText.h"
#include "gui/common/PlainText.h"

#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

ClaimDocument::ClaimDocument(std::shared_ptr<qm::OpenClaimFile> file, QObject* parent)
    : QObject(parent)
    , file_(std::move(file)) {
}

ClaimDocument::~ClaimDocument() {
    emit closing();
}

QString ClaimDocument::path() const {
    return CoreText::toPath(file_->path());
}

QString ClaimDocument::windowTitle(const QString& what) const {
    return PlainText::windowTitle(what + QStringLiteral(" (") + path() + QStringLiteral(")"));
}

QString ClaimDocument::besideFile(const QString& suffix) const {
    const QFileInfo claimFile(path());
    return claimFile.absoluteDir().filePath(claimFile.completeBaseName() + suffix);
}

QWidget* ClaimDocument::ownerWindow() const {
    return qobject_cast<QWidget*>(parent());
}

void ClaimDocument::closeWithFile(QWidget* window) {
    connect(this, &ClaimDocument::closing, window, [window = QPointer<QWidget>(window)] {
        if (!window)
            return;
        // A document's content closes with its frame, which saves its place.
        if (auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
            frame->close();
        else
            window->close();
    });
}
