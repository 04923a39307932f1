#include "shell/Startup.h"

#include "about/frmSplash.h"
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
    mainWindow->setTreeWindowFactory([&context] { return new frmNSFTree(context); });
    mainWindow->show();

    if (!arguments.isEmpty())
        mainWindow->openFile(QFileInfo(arguments.constFirst()).absoluteFilePath());
    return mainWindow;
}
