#pragma once

#include <QDialog>

class QTimer;

// The start-up window: product name, platform line and version, shown
// modally until its timer closes it two seconds later. No click or key
// closes it.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 2000;

    explicit frmSplash(QWidget* parent = nullptr, int showMilliseconds = kShowMilliseconds);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Timer1_Timer();

    QTimer* timer_ = nullptr;
    bool timedOut_ = false;
};
