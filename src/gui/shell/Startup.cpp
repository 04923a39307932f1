#include "gui/shell/Startup.h"

#include "gui/about/frmSplash.h"
#include "gui/claimform/ClaimFormController.h"
#include "gui/common/MapSearch.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/problems/ProblemsController.h"
#include "gui/search/SearchController.h"
#include "gui/shell/AppContext.h"
#include "gui/shell/frmMain.h"

#include <QFileInfo>
#include <memory>

std::unique_ptr<frmMain> Startup::run(AppContext& context, const QStringList& arguments,
                                      const QString& mapsDir) {
    qm::Module1& m = context.module1();
    m.MapFolder = MapSearch::startFolder();
    m.MapFolders = MapSearch::forStart(mapsDir);
    MapSearch::record(m.MapFolders);

    {
        frmSplash splash;
        splash.exec();
    }

    auto mainWindow = std::make_unique<frmMain>(context);
    // Each document subsystem registers the window factory it owns here.
    auto* claimForms = new ClaimFormController(context, mainWindow.get());
    auto* problems = new ProblemsController(context, *mainWindow);
    new SearchController(context, *mainWindow, *claimForms);
    mainWindow->setTreeWindowFactory([&context, claimForms, problems]() -> QWidget* {
        auto tree = std::make_unique<frmNSFTree>(context);
        if (!tree->isBuilt())
            return nullptr; // cancelled: no tree window
        claimForms->connectTree(*tree);
        problems->connectTree(*tree);
        return tree.release();
    });
    mainWindow->show();

    if (!arguments.isEmpty())
        mainWindow->openFile(QFileInfo(arguments.constFirst()).absoluteFilePath());
    return mainWindow;
}
