#include "gui/shell/Startup.h"

#include "gui/about/frmSplash.h"
#include "gui/common/MapSearch.h"
#include "gui/document/AppContext.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/shell/ClaimFormController.h"
#include "gui/shell/ClaimNavigator.h"
#include "gui/shell/CompareController.h"
#include "gui/shell/ProblemsController.h"
#include "gui/shell/SearchController.h"
#include "gui/shell/SummaryController.h"
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

    {
        frmSplash splash;
        splash.exec();
    }

    auto mainWindow = std::make_unique<frmMain>(context);
    // Each document subsystem registers the window factory it owns here.
    auto* claimForms = new ClaimFormController(context, mainWindow.get());
    claimForms->addCommands(*mainWindow);
    auto* navigator = new ClaimNavigator(*mainWindow, *claimForms);
    auto* problems = new ProblemsController(context, *mainWindow, *navigator);
    auto* search = new SearchController(context, *mainWindow, *navigator);
    new CompareController(context, *mainWindow, *navigator);
    auto* summary = new SummaryController(context, *mainWindow, *navigator, *problems, *search);
    mainWindow->setTreeWindowFactory(
        [claimForms, problems, summary, navigator](ClaimDocument& session) -> QWidget* {
            auto tree = std::make_unique<frmNSFTree>(session);
            if (!tree->isBuilt())
                return nullptr; // cancelled: no tree window
            claimForms->connectTree(*tree);
            problems->connectTree(*tree);
            summary->connectTree(*problems->check());
            navigator->setTreeWindow(tree.get());
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
