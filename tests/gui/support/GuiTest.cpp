#include "GuiTest.h"

#include "common/FileDialog.h"
#include "common/MessageBoxes.h"
#include "common/WindowPositions.h"

#include <QAction>
#include <QDir>
#include <QWidget>

void GuiTest::isolate(const QTemporaryDir& dir) {
    MessageBoxes::reset();
    MessageBoxes::setTestMode(true);
    FileDialog::reset();
    FileDialog::setTestMode(true);
    WindowPositions::setSettingsFile(settingsFile(dir));
}

QString GuiTest::settingsFile(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("settings.ini"));
}

bool GuiTest::triggerAction(QWidget* root, const QString& name) {
    auto* action = root->findChild<QAction*>(name);
    if (!action) {
        qWarning("No action named %s", qUtf8Printable(name));
        return false;
    }
    if (!action->isEnabled()) {
        qWarning("Action %s is disabled", qUtf8Printable(name));
        return false;
    }
    action->trigger();
    return true;
}

QString GuiTest::dataPath(const QString& relativePath) {
    return QDir(QStringLiteral(TEST_DATA_DIR)).filePath(relativePath);
}
