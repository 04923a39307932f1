#include "gui/shell/Startup.h"

#include "gui/about/frmSplash.h"
#include "gui/claimform/ClaimFormController.h"
#include "gui/common/AppContext.h"
#include "gui/common/MapSearch.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/ProblemsController.h"
#include "gui/shell/SearchController.h"
#include "gui/shell/frmMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QWindow>
#include <memory>

namespace {
constexpr qint64 kExposeWaitMilliseconds = 2000;
} // namespace

std::unique_ptr<frmMain> Startup::run(AppContext& context, const QStringList& arguments,
                                      const QString& mapsDir) {
    context.setMapFolders(MapSearch::forStart(mapsDir));
    MapSearch::record(context.mapFolders());

    {
        frmSplash splash;
        splash.exec();
    }

    auto mainWindow = std::make_unique<frmMain>(context);
    // Each document subsystem registers the window factory it owns here.
    auto* claimForms = new ClaimFormController(context, mainWindow.get());
    auto* problems = new ProblemsController(context, *mainWindow);
    new SearchController(context, *mainWindow, *claimForms);
    mainWindow->setTreeWindowFactory([claimForms, problems](FileSession& session) -> QWidget* {
        auto tree = std::make_unique<frmNSFTree>(session);
        if (!tree->isBuilt())
            return nullptr; // cancelled: no tree window
        claimForms->connectTree(*tree);
        problems->connectTree(*tree);
        return tree.release();
    });
    mainWindow->show();

    if (!arguments.isEmpty()) {
        // The file's tree may grow the main window on a first run: wait until
        // the window manager has put the window on the screen, or it may
        // give the window back its first size.
        QElapsedTimer waited;
        waited.start();
        QWindow* window = mainWindow->windowHandle();
        while (window && !window->isExposed() && waited.elapsed() < kExposeWaitMilliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        mainWindow->openFile(QFileInfo(arguments.constFirst()).absoluteFilePath());
    }
    return mainWindow;
}
