#include "gui/common/MessageBoxes.h"

#include "gui/common/CoreText.h"
#include "gui/common/HandedSeam.h"

#include <QApplication>
#include <QMessageBox>

namespace {

constexpr char kShower[] = "qm.messageShower";

QMessageBox::Icon toQt(qm::MessageIcon icon) {
    switch (icon) {
    case qm::MessageIcon::Critical:
        return QMessageBox::Critical;
    case qm::MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case qm::MessageIcon::Information:
        return QMessageBox::Information;
    case qm::MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

qm::MessageAnswer execBox(QWidget* parent, const MessageBoxes::Record& record) {
    QMessageBox box(toQt(record.icon), record.title, record.text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    // Texts quote what the user typed and what files hold: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    if (!record.detailedText.isEmpty())
        box.setDetailedText(record.detailedText);
    if (record.buttons == qm::MessageButtons::RetryCancel) {
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Retry);
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (record.buttons == qm::MessageButtons::YesNo) {
        // No keeps things as they are: Enter and Escape give it.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        // Enter closes the box, whichever button a desktop's theme would
        // focus first ("Show Details..." under GTK's).
        box.setDefaultButton(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return qm::MessageAnswer::Ok;
    case QMessageBox::Retry:
        return qm::MessageAnswer::Retry;
    case QMessageBox::Yes:
        return qm::MessageAnswer::Yes;
    default:
        return qm::closedAnswer(record.buttons);
    }
}

} // namespace

MessageBoxes::MessageBoxes(QWidget* parent)
    : parent_(parent) {
}

qm::MessageAnswer MessageBoxes::show(const qm::Message& message) {
    return show(message, QString());
}

qm::MessageAnswer MessageBoxes::show(const qm::Message& message, const QString& detailedText) {
    QWidget* parent = parent_ ? parent_.data() : QApplication::activeWindow();
    return showMessage(parent, CoreText::fromUtf8(message.text), CoreText::fromUtf8(message.title),
                       message.icon, message.buttons, detailedText);
}

qm::MessageAnswer MessageBoxes::showMessage(QWidget* parent, const QString& text,
                                            const QString& title, qm::MessageIcon icon,
                                            qm::MessageButtons buttons,
                                            const QString& detailedText) {
    const Record record{text, title, icon, buttons, detailedText};
    const auto showReal = [parent, &record] {
        return execBox(parent, record);
    };
    if (Shower* shower = HandedSeam<Shower>::over(parent, kShower))
        return shower->answer(record, showReal);
    return showReal();
}

void MessageBoxes::setShower(QObject* owner, Shower* shower) {
    HandedSeam<Shower>::hand(owner, kShower, shower);
}
