#pragma once

#include <QMdiSubWindow>

// The frame of one document window in the main window's document area. It
// remembers its place under its content's object name (see WindowPositions)
// and is deleted when closed.
class DocumentWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit DocumentWindow(QWidget* content);

    QString windowName() const;
    // The window has closed, and is only waiting to be deleted.
    bool hasClosed() const { return closed_; }

signals:
    // The window has closed and is on its way out (deleted later, with its content).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool closed_ = false;
};
