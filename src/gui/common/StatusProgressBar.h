#pragma once

#include <QProgressBar>

// A progress bar for a status line beside counts that must never give way
// (a narrow window once hid the last digit of ten million claims): it
// shrinks down to its percentage alone, and says its words ("Checking
// claims…") only where they fit.
class StatusProgressBar : public QProgressBar {
    Q_OBJECT
public:
    StatusProgressBar(const QString& words, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString words_;
};
