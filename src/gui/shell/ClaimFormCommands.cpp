#include "gui/shell/ClaimFormCommands.h"

#include "gui/document/ClaimDocument.h"
#include "gui/shell/frmMain.h"

#include <QAction>

ClaimFormCommands::ClaimFormCommands(frmMain& main)
    : QObject(&main) {
    totalsMessage_ = main.insertCommand(QStringLiteral("mnuToolsTotalsMessage"),
                                        QStringLiteral("Show &Totals Message"),
                                        QStringLiteral("mnuToolsOptions"));
    totalsMessage_->setCheckable(true);
    totalsMessage_->setChecked(ClaimDocument::showsTotalsMessage());
    connect(totalsMessage_, &QAction::toggled, this, &ClaimFormCommands::setShowsTotalsMessage);
}

void ClaimFormCommands::setShowsTotalsMessage(bool shows) {
    ClaimDocument::setShowsTotalsMessage(shows);
    totalsMessage_->setChecked(shows);
}
