#include "gui/find/frmFind.h"

#include "gui/common/FindState.h"
#include "gui/common/Twips.h"
#include "gui/common/WindowPositions.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Title and close box only: no minimize or maximize button.
frmFind::frmFind(FindState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , state_(state) {
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(true);
    setFixedSize(Twips::rect(0, 0, 4680, 1368, this).size());

    label1_ = new QLabel(QStringLiteral("Find/Search for:"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(Twips::rect(120, 120, 2295, 255, this));

    txtSearch_ = new QLineEdit(this);
    txtSearch_->setObjectName(QStringLiteral("txtSearch"));
    txtSearch_->setMaxLength(kMaxSearchLength);
    txtSearch_->setGeometry(Twips::rect(120, 360, 4335, 285, this));

    cmdSearch_ = new QPushButton(QStringLiteral("Find It!"), this);
    cmdSearch_->setObjectName(QStringLiteral("cmdSearch"));
    cmdSearch_->setGeometry(Twips::rect(240, 840, 855, 375, this));
    cmdSearch_->setDefault(true);

    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setGeometry(Twips::rect(1320, 840, 855, 375, this));
    cmdCancel_->setAutoDefault(false);

    cmdClear_ = new QPushButton(QStringLiteral("Clear"), this);
    cmdClear_->setObjectName(QStringLiteral("cmdClear"));
    cmdClear_->setGeometry(Twips::rect(3600, 840, 855, 375, this));
    cmdClear_->setAutoDefault(false);

    connect(cmdSearch_, &QPushButton::clicked, this, &frmFind::cmdSearchClick);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmFind::cmdCancelClick);
    connect(cmdClear_, &QPushButton::clicked, this, &frmFind::cmdClearClick);

    WindowPositions::restore(this, objectName());
    txtSearch_->setText(state_.SearchText);
    // Ready to type over the last text, or to press Enter to search for it again.
    txtSearch_->selectAll();
    txtSearch_->setFocus();
}

void frmFind::keyPressEvent(QKeyEvent* event) {
    // No button answers Escape: the dialog is left only by a button or its close box.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmFind::done(int result) {
    // Every way out passes here (buttons and close box alike): remember the place.
    WindowPositions::save(this, objectName());
    QDialog::done(result);
}

void frmFind::cmdSearchClick() {
    state_.SearchText = txtSearch_->text();
    accept();
}

void frmFind::cmdCancelClick() {
    state_.SearchText.clear();
    reject();
}

void frmFind::cmdClearClick() {
    txtSearch_->clear();
    txtSearch_->setFocus();
}
