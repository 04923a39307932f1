#include "gui/shell/Startup.h"

#include "core/layouts/MapSearchPath.h"
#include "gui/about/frmSplash.h"
#include "gui/claimform/ClaimFormController.h"
#include "gui/common/CoreText.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/AppContext.h"
#include "gui/shell/frmMain.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

std::unique_ptr<frmMain> Startup::run(AppContext& context, const QStringList& arguments) {
    qm::Module1& m = context.module1();
    m.MapFolder = CoreText::fromPath(QDir::toNativeSeparators(QDir::currentPath()));
    m.MapFolders = qm::MapSearchPath::forThisProcess(std::string(), m.MapFolder);

    {
        frmSplash splash;
        splash.exec();
    }

    auto mainWindow = std::make_unique<frmMain>(context);
    // Each document subsystem registers the window factory it owns here.
    auto* claimForms = new ClaimFormController(context, mainWindow.get());
    mainWindow->setTreeWindowFactory([&context, claimForms]() -> QWidget* {
        auto tree = std::make_unique<frmNSFTree>(context);
        if (!tree->isBuilt())
            return nullptr; // cancelled: no tree window
        claimForms->connectTree(*tree);
        return tree.release();
    });
    mainWindow->show();

    if (!arguments.isEmpty())
        mainWindow->openFile(QFileInfo(arguments.constFirst()).absoluteFilePath());
    return mainWindow;
}
