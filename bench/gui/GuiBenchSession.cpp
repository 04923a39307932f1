#include "GuiBenchSession.h"

#include "gui/common/CoreText.h"
#include "gui/common/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QtGlobal>

void GuiBenchSession::prepareEnvironment(Painting painting) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (painting == Painting::AtOnce && qEnvironmentVariableIsEmpty("QT_QPA_UPDATE_IDLE_TIME"))
        qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
}

GuiBenchSession::GuiBenchSession(const QString& mapsDir) {
    // Never the user's settings, and no message box waiting for a user who is not there.
    QStandardPaths::setTestModeEnabled(true);
    SettingsStore::setFile(settingsDir_.filePath(QStringLiteral("settings.ini")));
    dialogs_.handTo(qApp);
    dialogs_.setBoxesUnshown(true);
    context_.setSplashMilliseconds(1);
    context_.setMapFolders({CoreText::fromPath(QDir::toNativeSeparators(mapsDir))});
}
