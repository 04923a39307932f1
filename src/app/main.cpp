#include "gui/about/Branding.h"
#include "gui/document/AppContext.h"
#include "gui/shell/Startup.h"
#include "gui/shell/ViewerCommandLine.h"
#include "gui/shell/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // --help and --version print without a display, so they come first.
    if (const std::optional<int> status = ViewerCommandLine::answerBeforeWindows(argc, argv))
        return *status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(Branding::title());
    QApplication::setOrganizationName(Branding::title());
    QApplication::setWindowIcon(Branding::applicationIcon());

    // Qt has taken out its own options by now; what is left is ours.
    ViewerCommandLine commandLine;
    const ViewerCommandLine::Outcome outcome = commandLine.parse(QApplication::arguments());
    if (outcome != ViewerCommandLine::Outcome::Run)
        return commandLine.answer(outcome);

    AppContext context;
    const QStringList files =
        commandLine.file().isEmpty() ? QStringList() : QStringList{commandLine.file()};
    const std::unique_ptr<frmMain> mainWindow = Startup::run(context, files, commandLine.mapsDir());
    // Closing the main window ends the application, whatever else is open.
    QObject::connect(mainWindow.get(), &frmMain::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    return app.exec();
}
