#include "gui/shell/Startup.h"

#include "core/common/ProcessHeap.h"
#include "gui/about/frmSplash.h"
#include "gui/common/MapSearch.h"
#include "gui/document/AppContext.h"
#include "gui/shell/ClaimFormCommands.h"
#include "gui/shell/ClaimListCommands.h"
#include "gui/shell/CompareCommands.h"
#include "gui/shell/DocumentViews.h"
#include "gui/shell/LinesCommands.h"
#include "gui/shell/PrintCommands.h"
#include "gui/shell/ProblemsCommands.h"
#include "gui/shell/RulesCommands.h"
#include "gui/shell/SearchCommands.h"
#include "gui/shell/SummaryCommands.h"
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
    qm::ProcessHeap::returnLargeBlocks();
    context.setMapFolders(MapSearch::forStart(mapsDir));

    {
        frmSplash splash(nullptr,
                         context.splashMilliseconds().value_or(frmSplash::kShowMilliseconds));
        splash.exec();
    }

    auto mainWindow = std::make_unique<frmMain>(context);
    // The views of the open document, and each subsystem's commands, in the
    // order their menu items go in.
    auto* views = new DocumentViews(*mainWindow->documents());
    mainWindow->setViews(views);
    new ClaimFormCommands(*mainWindow);
    new ProblemsCommands(context, *mainWindow, *views);
    new RulesCommands(context, *mainWindow);
    new SearchCommands(context, *mainWindow, *views);
    new CompareCommands(context, *mainWindow, *views);
    new SummaryCommands(context, *mainWindow, *views);
    new ClaimListCommands(context, *mainWindow, *views);
    new PrintCommands(*mainWindow, *views);
    new LinesCommands(context, *mainWindow, *views);
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
