// The splash window, the about box and its system-information lookup.
#include "GuiTest.h"
#include "gui/about/ProcessStarter.h"
#include "gui/about/Registry.h"
#include "gui/about/SystemInfo.h"
#include "gui/about/frmAbout.h"
#include "gui/about/frmSplash.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");
const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

QByteArray utf16(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

class FakeRegistry : public Registry {
public:
    void add(quint32 root, const QString& key, const QString& name, quint32 type,
             const QByteArray& data) {
        values_.insert(id(root, key, name), Value{type, data});
    }

    bool queryValue(quint32 keyRoot, const QString& keyName, const QString& valueName,
                    Value* value) override {
        const auto found = values_.constFind(id(keyRoot, keyName, valueName));
        if (found == values_.constEnd())
            return false;
        *value = *found;
        return true;
    }

private:
    static QString id(quint32 root, const QString& key, const QString& name) {
        return QString::number(root, 16) + QLatin1Char('|') + key + QLatin1Char('|') + name;
    }
    QMap<QString, Value> values_;
};

class FakeStarter : public ProcessStarter {
public:
    bool start(const QString& program) override {
        started.append(program);
        return succeed;
    }
    QStringList started;
    bool succeed = true;
};

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Splash
    void splashShowsTitleAndVersion();
    void splashClosesOnlyByItsTimer();

    // About box
    void aboutShowsTitleAndVersion();
    void okClosesTheAboutBox();
    void systemInfoButtonWithoutRegistryReportsUnavailable();

    // Registry lookup
    void stringValueIsCutAtTheFirstNul();
    void dwordValueGivesItsDecimalValue_data();
    void dwordValueGivesItsDecimalValue();
    void otherTypesLeaveTheValueAsPassed();
    void missingValueGivesEmptyAndFalse();

    // StartSysInfo
    void pathValueIsStartedWithoutAFileCheck();
    void msinfoFolderIsStartedWhenTheProgramExists();
    void msinfoFolderWithoutTheProgramIsUnavailable();
    void noRegistryValueIsUnavailable();
    void failureToStartIsUnavailable();

private:
    void expectUnavailable();
    std::unique_ptr<QTemporaryDir> dir_;
};

void AboutTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
}

void AboutTest::init() {
    dir_ = GuiTest::isolatedFolder();
}

void AboutTest::cleanup() {
    GuiTest::dialogs().forgetBoxes();
    dir_.reset();
}

void AboutTest::expectUnavailable() {
    QCOMPARE(GuiTest::dialogs().shown().size(), 1);
    const MessageBoxes::Record& shown = GuiTest::dialogs().shown().constFirst();
    QCOMPARE(shown.text, kUnavailable);
    QCOMPARE(shown.icon, qm::MessageIcon::None);
    QCOMPARE(shown.buttons, qm::MessageButtons::Ok);
}

void AboutTest::splashShowsTitleAndVersion() {
    frmSplash splash;
    QCOMPARE(splash.objectName(), QStringLiteral("frmSplash"));
    QVERIFY(splash.isModal());
    QVERIFY(splash.findChild<QWidget*>(QStringLiteral("fraMainFrame")));
    auto text = [&splash](const char* name) {
        const auto* label = splash.findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("(missing)");
    };
    QCOMPARE(text("lblProductName"), QStringLiteral("Quillmark"));
    QCOMPARE(text("lblPlatform"), QStringLiteral("for the Microsoft Windows Platforms"));
    QCOMPARE(text("lblVersion"), QStringLiteral("Version " QUILLMARK_PROJECT_VERSION));
    QCOMPARE(text("lblVersion"), QStringLiteral("Version 1.0.3"));
    QVERIFY(!text("lblWarning").isEmpty());
    QCOMPARE(splash.findChild<QLabel*>(QStringLiteral("lblProductName"))->font().family(),
             QStringLiteral("Arial Black"));

    const auto* timer = splash.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 2000);
    QVERIFY(timer->isActive());
}

void AboutTest::splashClosesOnlyByItsTimer() {
    frmSplash splash;
    bool poked = false;
    QTimer::singleShot(200, this, [&] {
        QCOMPARE(QApplication::activeModalWidget(), &splash);
        QTest::keyClick(&splash, Qt::Key_Escape);
        QTest::keyClick(&splash, Qt::Key_Return);
        QTest::mouseClick(&splash, Qt::LeftButton);
        splash.close();
        poked = QApplication::activeModalWidget() == &splash && splash.isVisible();
    });
    QElapsedTimer clock;
    clock.start();
    const int result = splash.exec();
    const qint64 elapsed = clock.elapsed();
    QVERIFY(poked);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY2(elapsed >= 1900, qPrintable(QString::number(elapsed)));
    QVERIFY(!splash.isVisible());
}

void AboutTest::aboutShowsTitleAndVersion() {
    frmAbout about;
    QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(about.windowTitle(), QStringLiteral("About Quillmark"));
    auto text = [&about](const char* name) {
        const auto* label = about.findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("(missing)");
    };
    QCOMPARE(text("lblTitle"), QStringLiteral("Quillmark"));
    QCOMPARE(text("lblVersion"), QStringLiteral("Version 1.0.3"));
    QVERIFY(!text("lblDescription").isEmpty());
    QVERIFY(!text("lblDisclaimer").isEmpty());
    QVERIFY(!about.findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
    QVERIFY(about.findChild<QWidget*>(QStringLiteral("Line1")));
    QCOMPARE(about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
    QCOMPARE(about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->text(),
             QStringLiteral("&System Info..."));
}

void AboutTest::okClosesTheAboutBox() {
    frmAbout about;
    bool clicked = false;
    QTimer::singleShot(0, this, [&] {
        QCOMPARE(QApplication::activeModalWidget(), &about);
        about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        clicked = true;
    });
    about.exec();
    QVERIFY(clicked);
    QVERIFY(!about.isVisible());
}

void AboutTest::systemInfoButtonWithoutRegistryReportsUnavailable() {
#ifdef _WIN32
    QSKIP("The real registry of a Windows machine may name the program.");
#endif
    frmAbout about;
    about.show();
    about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
    expectUnavailable();
    QCOMPARE(GuiTest::dialogs().shown().constFirst().title, QStringLiteral("Quillmark"));
    QVERIFY(about.isVisible());
}

void AboutTest::stringValueIsCutAtTheFirstNul() {
    FakeRegistry registry;
    registry.add(Registry::LocalMachine, kMsinfoKey, QStringLiteral("PATH"), Registry::TypeString,
                 utf16(QStringLiteral("C:\\Tools\\msinfo32.exe")) + QByteArray(2, '\0') +
                     utf16(QStringLiteral("junk")));
    QString value = QStringLiteral("previous");
    QVERIFY(SystemInfo::GetKeyValue(registry, Registry::LocalMachine, kMsinfoKey,
                                    QStringLiteral("PATH"), value));
    QCOMPARE(value, QStringLiteral("C:\\Tools\\msinfo32.exe"));
}

void AboutTest::dwordValueGivesItsDecimalValue_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero byte in the middle")
        << QByteArray::fromHex("02010000") << QStringLiteral("258");
    QTest::newRow("zero low byte") << QByteArray::fromHex("00010000") << QStringLiteral("256");
    QTest::newRow("small") << QByteArray::fromHex("0f000000") << QStringLiteral("15");
    QTest::newRow("zero") << QByteArray::fromHex("00000000") << QStringLiteral("0");
    QTest::newRow("high byte") << QByteArray::fromHex("78563412") << QStringLiteral("305419896");
    QTest::newRow("all ones") << QByteArray::fromHex("ffffffff") << QStringLiteral("4294967295");
}

void AboutTest::dwordValueGivesItsDecimalValue() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    FakeRegistry registry;
    registry.add(Registry::LocalMachine, kMsinfoKey, QStringLiteral("N"), Registry::TypeDword,
                 bytes);
    QString value = QStringLiteral("7");
    QVERIFY(SystemInfo::GetKeyValue(registry, Registry::LocalMachine, kMsinfoKey,
                                    QStringLiteral("N"), value));
    QCOMPARE(value, expected);
}

void AboutTest::otherTypesLeaveTheValueAsPassed() {
    FakeRegistry registry;
    registry.add(Registry::LocalMachine, kMsinfoKey, QStringLiteral("B"), 3,
                 QByteArray::fromHex("0102"));
    QString value = QStringLiteral("as passed");
    QVERIFY(SystemInfo::GetKeyValue(registry, Registry::LocalMachine, kMsinfoKey,
                                    QStringLiteral("B"), value));
    QCOMPARE(value, QStringLiteral("as passed"));
}

void AboutTest::missingValueGivesEmptyAndFalse() {
    FakeRegistry registry;
    registry.add(Registry::LocalMachine, kMsinfoKey, QStringLiteral("PATH"), Registry::TypeString,
                 utf16(QStringLiteral("x")));
    QString value = QStringLiteral("as passed");
    QVERIFY(!SystemInfo::GetKeyValue(registry, Registry::LocalMachine, kMsinfoKey,
                                     QStringLiteral("OTHER"), value));
    QVERIFY(value.isEmpty());
    value = QStringLiteral("as passed");
    QVERIFY(
        !SystemInfo::GetKeyValue(registry, 0x80000001u, kMsinfoKey, QStringLiteral("PATH"), value));
    QVERIFY(value.isEmpty());
}

void AboutTest::pathValueIsStartedWithoutAFileCheck() {
    FakeRegistry registry;
    const QString program = dir_->filePath(QStringLiteral("no-such-program.exe"));
    registry.add(Registry::LocalMachine, kMsinfoKey, QStringLiteral("PATH"), Registry::TypeString,
                 utf16(program));
    // The folder route is not consulted when PATH is there.
    registry.add(Registry::LocalMachine, kLocationKey, QStringLiteral("MSINFO"),
                 Registry::TypeString, utf16(dir_->path()));
    FakeStarter starter;
    SystemInfo::StartSysInfo(registry, starter, nullptr);
    QCOMPARE(starter.started, QStringList{program});
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void AboutTest::msinfoFolderIsStartedWhenTheProgramExists() {
    const QString program = dir_->filePath(QStringLiteral("MSINFO32.EXE"));
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    FakeRegistry registry;
    registry.add(Registry::LocalMachine, kLocationKey, QStringLiteral("MSINFO"),
                 Registry::TypeString, utf16(QDir::toNativeSeparators(dir_->path())));
    FakeStarter starter;
    SystemInfo::StartSysInfo(registry, starter, nullptr);
    QCOMPARE(starter.started, QStringList{QDir::toNativeSeparators(program)});
    QVERIFY(GuiTest::dialogs().shown().isEmpty());
}

void AboutTest::msinfoFolderWithoutTheProgramIsUnavailable() {
    FakeRegistry registry;
    registry.add(Registry::LocalMachine, kLocationKey, QStringLiteral("MSINFO"),
                 Registry::TypeString, utf16(dir_->path()));
    FakeStarter starter;
    SystemInfo::StartSysInfo(registry, starter, nullptr);
    QVERIFY(starter.started.isEmpty());
    expectUnavailable();

    // A folder of that name is no program either.
    GuiTest::dialogs().forgetBoxes();
    GuiTest::dialogs().setBoxesUnshown(true);
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("MSINFO32.EXE")));
    SystemInfo::StartSysInfo(registry, starter, nullptr);
    QVERIFY(starter.started.isEmpty());
    expectUnavailable();
}

void AboutTest::noRegistryValueIsUnavailable() {
    FakeRegistry registry;
    FakeStarter starter;
    SystemInfo::StartSysInfo(registry, starter, nullptr);
    QVERIFY(starter.started.isEmpty());
    expectUnavailable();
}

void AboutTest::failureToStartIsUnavailable() {
    FakeRegistry registry;
    registry.add(Registry::LocalMachine, kMsinfoKey, QStringLiteral("PATH"), Registry::TypeString,
                 utf16(QStringLiteral("C:\\nowhere\\msinfo32.exe")));
    FakeStarter starter;
    starter.succeed = false;
    frmAbout about(nullptr, &registry, &starter);
    about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
    QCOMPARE(starter.started, QStringList{QStringLiteral("C:\\nowhere\\msinfo32.exe")});
    expectUnavailable();
}

QTEST_MAIN(AboutTest)
#include "AboutTest.moc"
