#pragma once

#include "core/common/MessageSink.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

// Every message box of the application goes through here: the real thing is a
// modal QMessageBox, unless a Shower is handed to the application or to a
// window the box is over (tests and tools hand a RecordingDialogs, which
// answers from a queue and keeps what was shown).
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

    // What answers the boxes in place of the user: given each box asked for,
    // and the real box to show if it wants (the button pressed).
    class Shower {
    public:
        virtual ~Shower() = default;
        virtual qm::MessageAnswer answer(const Record& box,
                                         const std::function<qm::MessageAnswer()>& showReal) = 0;
    };
    // Hands shower every box over owner or a widget within it (owner the
    // application: every box); nullptr takes it back.
    static void setShower(QObject* owner, Shower* shower);

private:
    QPointer<QWidget> parent_;
};
