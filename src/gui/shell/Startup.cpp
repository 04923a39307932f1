#include "shell/Startup.h"

#include "about/frmSplash.h"
#include "claimform/ClaimFormController.h"
#include "common/CoreText.h"
#include "filetree/frmNSFTree.h"
#include "shell/AppContext.h"
#include "shell/frmMain.h"

#include <QDir>
#include <QFileInfo>

std::unique_ptr<frmMain> Startup::run(AppContext& context, const QStringList& arguments) {
    context.module1().MapFolder = CoreText::fromPath(QDir::toNativeSeparators(QDir::currentPath()));

    {
        frmSplash splash;
        splash.exec();
    }

    auto mainWindow = std::make_unique<frmMain>(context);
    // Each document subsystem registers the window factory it owns here.
    auto* claimForms = new ClaimFormController(context, mainWindow.get());
    mainWindow->setTreeWindowFactory([&context, claimForms] {
        auto* tree = new frmNSFTree(context);
        claimForms->connectTree(*tree);
        return tree;
    });
    mainWindow->show();

    if (!arguments.isEmpty())
        mainWindow->openFile(QFileInfo(arguments.constFirst()).absoluteFilePath());
    return mainWindow;
}
