#include "gui/common/frmGoToLine.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

frmGoToLine::frmGoToLine(std::int64_t lines, std::int64_t bytes, QWidget* parent)
    : QDialog(parent)
    , lines_(lines)
    , bytes_(bytes) {
    setObjectName(QStringLiteral("frmGoToLine"));
    setWindowTitle(QStringLiteral("Go to Line"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(lines > 0 ? QStringLiteral("&Line (1 to %1), or @byte:").arg(lines)
                                       : QStringLiteral("&Line, or @byte:"),
                             this);
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("txtGoToLine"));
    label->setBuddy(text_);
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("lblGoToError"));
    error_->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmGoToLine::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmGoToLine::reject);
    layout->addWidget(label);
    layout->addWidget(text_);
    layout->addWidget(error_);
    layout->addWidget(buttons);
}

bool frmGoToLine::parse(const QString& text, std::int64_t lines, std::int64_t bytes, Target& target,
                        QString& error) {
    QString given = text.trimmed();
    const bool byte = given.startsWith(QLatin1Char('@'));
    if (byte)
        given = given.mid(1).trimmed();
    bool number = false;
    const qlonglong value = given.toLongLong(&number);
    if (!number || value < 1) {
        error = byte ? QStringLiteral("Give a byte position of 1 or more after the @.")
                     : QStringLiteral("Give a line number of 1 or more, or @ and a byte position.");
        return false;
    }
    const std::int64_t limit = byte ? bytes : lines;
    if (limit > 0 && value > limit) {
        error = byte ? QStringLiteral("Byte %1 is past the end: the file has %2 bytes.")
                           .arg(value)
                           .arg(limit)
                     : QStringLiteral("Line %1 is past the end: the file has %2 lines.")
                           .arg(value)
                           .arg(limit);
        return false;
    }
    target = byte ? Target{0, value} : Target{value, 0};
    return true;
}

void frmGoToLine::accept() {
    QString error;
    if (!parse(text_->text(), lines_, bytes_, target_, error)) {
        error_->setText(error);
        error_->show();
        text_->selectAll();
        text_->setFocus();
        return;
    }
    QDialog::accept();
}
