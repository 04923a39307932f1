#include "gui/common/DocumentWindow.h"

#include "gui/common/WindowPositions.h"

#include <QCloseEvent>

DocumentWindow::DocumentWindow(QWidget* content) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(content);
    setWindowIcon(content->windowIcon());
}

QString DocumentWindow::windowName() const {
    return widget() ? widget()->objectName() : QString();
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    // The content may refuse to close; only a window that really goes saves.
    QMdiSubWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    WindowPositions::save(this, windowName());
    closed_ = true;
    emit closed();
}
