#pragma once

#include <QDialog>

struct FindState;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the file tree's search text. Shown modally by the tree window's
// Find command, it hands its result over in SearchText: the text confirmed
// with "Find It!", empty after "Cancel", unchanged when closed by its close
// box. It opens with the last confirmed text already in the box.
class frmFind : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxSearchLength = 50;

    explicit frmFind(FindState& state, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void done(int result) override;

private slots:
    void cmdSearchClick();
    void cmdCancelClick();
    void cmdClearClick();

private:
    FindState& state_;
    QLabel* label1_ = nullptr;
    QLineEdit* txtSearch_ = nullptr;
    QPushButton* cmdSearch_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdClear_ = nullptr;
};
