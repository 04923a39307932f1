#include "gui/about/DetachedProcessStarter.h"

#include <QProcess>

bool DetachedProcessStarter::start(const QString& program) {
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, QStringList());
}
