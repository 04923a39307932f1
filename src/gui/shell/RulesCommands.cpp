#include "gui/shell/RulesCommands.h"

#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/rules/frmRules.h"
#include "gui/shell/frmMain.h"

#include <QAction>

RulesCommands::RulesCommands(AppContext& context, frmMain& main)
    : QObject(&main)
    , context_(context)
    , main_(main) {
    QAction* show = main.insertCommand(QStringLiteral("mnuToolsRules"), QStringLiteral("&Rules..."),
                                       QStringLiteral("mnuToolsOptions"));
    connect(show, &QAction::triggered, this, &RulesCommands::showRules);
    connect(&main, &frmMain::documentOpened, this, [this](ClaimDocument* document) {
        if (window_)
            window_->setDocument(document);
    });
}

void RulesCommands::showRules() {
    if (!window_) {
        window_ = new frmRules(&main_);
        window_->setAttribute(Qt::WA_DeleteOnClose);
    }
    window_->setDocument(context_.document());
    window_->show();
    window_->raise();
    window_->activateWindow();
}
