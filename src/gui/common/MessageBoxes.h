#pragma once

#include "core/common/MessageSink.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

// Every message box of the application goes through here: the real thing is a
// modal QMessageBox; tests queue answers and read back what was shown.
//
//   MessageBoxes::showMessage(this, text, title, qm::MessageIcon::Exclamation);
//
// An instance is also the qm::MessageSink that core procedures report through,
// its boxes owned by the given parent (or the active window when none).
class MessageBoxes : public qm::MessageSink {
public:
    // One message box as it was asked for.
    struct Record {
        QString text;
        QString title;
        qm::MessageIcon icon = qm::MessageIcon::None;
        qm::MessageButtons buttons = qm::MessageButtons::Ok;
        // Behind the box's "Show Details..." button; none when empty.
        QString detailedText;
    };

    explicit MessageBoxes(QWidget* parent = nullptr);

    qm::MessageAnswer show(const qm::Message& message) override;
    // The same box with details the user can unfold.
    qm::MessageAnswer show(const qm::Message& message, const QString& detailedText);

    // Shows a modal box and returns the button pressed (Escape gives
    // qm::closedAnswer).
    static qm::MessageAnswer showMessage(QWidget* parent, const QString& text, const QString& title,
                                         qm::MessageIcon icon = qm::MessageIcon::None,
                                         qm::MessageButtons buttons = qm::MessageButtons::Ok,
                                         const QString& detailedText = QString());

    // Test seam. A queued answer answers the next box without showing it. In
    // test mode no box is ever shown: one without a queued answer gets what
    // closing it would (qm::closedAnswer), so a forgotten answer cannot hang a test.
    static void setNextAnswer(qm::MessageAnswer answer);
    static void setTestMode(bool on);
    // Every box asked for since the last reset, in order.
    static const QList<Record>& shown();
    // Forgets queued answers and shown boxes, and leaves test mode.
    static void reset();

private:
    QPointer<QWidget> parent_;
};
