#include "gui/about/Branding.h"
#include "gui/shell/AppContext.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(Branding::title());
    QApplication::setOrganizationName(Branding::title());
    QApplication::setWindowIcon(Branding::applicationIcon());

    AppContext context;
    const std::unique_ptr<frmMain> mainWindow =
        Startup::run(context, QApplication::arguments().mid(1));
    // Closing the main window ends the application, whatever else is open.
    QObject::connect(mainWindow.get(), &frmMain::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    return app.exec();
}
