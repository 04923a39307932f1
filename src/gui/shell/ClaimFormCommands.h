#pragma once

#include <QObject>

class QAction;
class frmMain;

// Tools > Show Totals Message (mnuToolsTotalsMessage): whether a claim whose
// totals do not compute says so in a message when it is clicked, remembered
// in the settings store (ClaimDocument::showsTotalsMessage).
class ClaimFormCommands : public QObject {
    Q_OBJECT
public:
    explicit ClaimFormCommands(frmMain& main);

    void setShowsTotalsMessage(bool shows);

private:
    QAction* totalsMessage_ = nullptr;
};
