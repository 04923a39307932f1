#include "GuiTest.h"

#include "core/common/RecordingMessageSink.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/ClaimFileOpener.h"
#include "gui/common/CoreText.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/common/SettingsStore.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <cmath>

void GuiTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    QCOMPARE(screen->logicalDotsPerInchX(), 96.0);
    QCOMPARE(screen->logicalDotsPerInchY(), 96.0);
}

std::unique_ptr<AppContext> GuiTest::context() {
    auto context = std::make_unique<AppContext>();
    context->setSplashMilliseconds(50);
    return context;
}

int GuiTest::px(double twips) {
    return int(std::lround(twips / 15.0));
}

RecordingDialogs& GuiTest::dialogs() {
    static RecordingDialogs recording;
    return recording;
}

void GuiTest::isolate(const QTemporaryDir& dir) {
    dialogs().handTo(qApp);
    dialogs().forgetBoxes();
    dialogs().setBoxesUnshown(true);
    dialogs().forgetFileDialogs();
    dialogs().setFileDialogsUnshown(true);
    SettingsStore::setFile(settingsFile(dir));
}

std::unique_ptr<QTemporaryDir> GuiTest::isolatedFolder() {
    auto dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid())
        qFatal("cannot make a temporary folder: %s", qPrintable(dir->errorString()));
    isolate(*dir);
    return dir;
}

void GuiTest::release() {
    dialogs().forgetBoxes();
    dialogs().forgetFileDialogs();
    SettingsStore::setFile(QString());
}

QString GuiTest::settingsFile(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("settings.ini"));
}

QStringList GuiTest::storedSettings(const QTemporaryDir& dir) {
    QSettings settings(settingsFile(dir), QSettings::IniFormat);
    QStringList lines;
    const QStringList keys = settings.allKeys();
    for (const QString& key : keys)
        lines.append(key + QLatin1Char('=') + settings.value(key).toString());
    lines.sort();
    return lines;
}

QStringList GuiTest::placeLines(const QString& window, const QRect& pixels) {
    const QString prefix = QStringLiteral("Settings/") + window;
    QStringList lines{prefix + QStringLiteral("Height=") + QString::number(pixels.height() * 15),
                      prefix + QStringLiteral("Left=") + QString::number(pixels.x() * 15),
                      prefix + QStringLiteral("Top=") + QString::number(pixels.y() * 15),
                      prefix + QStringLiteral("Width=") + QString::number(pixels.width() * 15)};
    return lines;
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

std::unique_ptr<ClaimDocument> GuiTest::openDocument(const QString& path,
                                                     const std::vector<std::string>& mapFolders,
                                                     std::shared_ptr<const WorkSeams> seams) {
    const std::string bytes = CoreText::fromPath(QDir::toNativeSeparators(path));
    std::shared_ptr<qm::OpenClaimFile> file;
    if (mapFolders.empty()) {
        auto reader = std::make_unique<qm::SequentialFile>();
        if (!reader->open(bytes))
            return nullptr;
        qm::OpenResult result;
        result.outcome = qm::OpenResult::Outcome::Opened;
        file = std::make_shared<qm::OpenClaimFile>(bytes, result, std::move(reader),
                                                   std::make_shared<qm::LayoutCatalogue>());
    } else {
        qm::RecordingMessageSink sink;
        file = qm::ClaimFileOpener::open(bytes, mapFolders, std::make_shared<qm::LayoutCatalogue>(),
                                         sink)
                   .file;
    }
    return file ? std::make_unique<ClaimDocument>(std::move(file), std::move(seams)) : nullptr;
}

QWidget* GuiTest::view(const frmMain& main, const QString& name) {
    const QList<QMdiSubWindow*> windows = main.documents()->subWindowList();
    for (QMdiSubWindow* window : windows) {
        auto* document = qobject_cast<DocumentWindow*>(window);
        if (document && !document->hasClosed() && document->windowName() == name)
            return document->widget();
    }
    return nullptr;
}
