// The viewer's command line, and the map folder it and the about box show.
#include "GuiTest.h"
#include "gui/about/frmAbout.h"
#include "gui/common/MapSearch.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/document/AppContext.h"
#include "gui/shell/Startup.h"
#include "gui/shell/ViewerCommandLine.h"
#include "gui/shell/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using Outcome = ViewerCommandLine::Outcome;
Q_DECLARE_METATYPE(ViewerCommandLine::Outcome)

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void parse_data();
    void parse();
    void versionNamesTheMapFolderInUse();
    void mapsOptionIsTheSearchAndIsShownInTheAboutBox();

private:
    // The About box's line of map folders, for the given folders or by default.
    QString mapsText(const std::vector<std::string>* folders = nullptr) const;

    std::unique_ptr<QTemporaryDir> dir_;
    QByteArray environmentMaps_;
};

void CommandLineTest::initTestCase() {
    GuiTest::initTestCase();
    // The search reads QUILLMARK_MAPS; keep whatever the caller set out of it.
    environmentMaps_ = qgetenv("QUILLMARK_MAPS");
    qunsetenv("QUILLMARK_MAPS");
}

void CommandLineTest::init() {
    dir_ = GuiTest::isolatedFolder();
}

void CommandLineTest::cleanup() {
    GuiTest::dialogs().forgetBoxes();
    dir_.reset();
    if (!environmentMaps_.isNull())
        qputenv("QUILLMARK_MAPS", environmentMaps_);
}

QString CommandLineTest::mapsText(const std::vector<std::string>* folders) const {
    frmAbout about;
    if (folders)
        about.setMapFolders(*folders);
    const auto* label = about.findChild<QLabel*>(QStringLiteral("lblMaps"));
    return label ? label->text() : QStringLiteral("(missing)");
}

void CommandLineTest::parse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("mapsDir");
    QTest::addColumn<QString>("error");

    struct Row {
        const char* name;
        std::initializer_list<const char*> arguments;
        Outcome outcome;
        const char* file;
        const char* mapsDir;
        const char* error;
    };
    const Row rows[] = {
        {"nothing", {}, Outcome::Run, "", "", ""},
        {"file", {"a.nsf"}, Outcome::Run, "a.nsf", "", ""},
        {"maps and file", {"--maps", "/", "a.nsf"}, Outcome::Run, "a.nsf", "/", ""},
        {"maps= single dash", {"-maps=/"}, Outcome::Run, "", "/", ""},
        {"file after --", {"--", "--help"}, Outcome::Run, "--help", "", ""},
        {"--help", {"--help"}, Outcome::ShowHelp, "", "", ""},
        {"-h", {"a.nsf", "-h"}, Outcome::ShowHelp, "", "", ""},
        // Before the application exists, Qt's own options are still there.
        {"-v among Qt options",
         {"-platform", "offscreen", "-v", "--maps", "/m"},
         Outcome::ShowVersion,
         "",
         "/m",
         ""},
        {"unknown option", {"--mpas", "/m"}, Outcome::UsageError, "", "", "Unknown option 'mpas'."},
        {"two files",
         {"a.nsf", "b.nsf"},
         Outcome::UsageError,
         "",
         "",
         "unexpected argument 'b.nsf'"},
        {"maps without value",
         {"--maps"},
         Outcome::UsageError,
         "",
         "",
         "Missing value after '--maps'."},
        {"maps empty", {"--maps", ""}, Outcome::UsageError, "", "", "--maps needs a folder"},
        // Never passed over for the maps found elsewhere.
        {"maps folder not there",
         {"--maps", "/no/such/maps", "a.nsf"},
         Outcome::UsageError,
         "",
         "/no/such/maps",
         "--maps /no/such/maps: no such folder"},
        {"maps names a file",
         {"--maps", "/dev/null"},
         Outcome::UsageError,
         "",
         "/dev/null",
         "--maps /dev/null: not a folder"},
    };
    for (const Row& row : rows) {
        QStringList arguments{QStringLiteral("quillmark")};
        for (const char* argument : row.arguments)
            arguments << QString::fromLatin1(argument);
        QTest::newRow(row.name) << arguments << row.outcome << QString::fromLatin1(row.file)
                                << QString::fromLatin1(row.mapsDir)
                                << QString::fromLatin1(row.error);
    }
}

void CommandLineTest::parse() {
    QFETCH(QStringList, arguments);
    QFETCH(Outcome, outcome);
    QFETCH(QString, file);
    QFETCH(QString, mapsDir);
    QFETCH(QString, error);

    ViewerCommandLine commandLine;
    QCOMPARE(commandLine.parse(arguments), outcome);
    QCOMPARE(commandLine.file(), file);
    QCOMPARE(commandLine.mapsDir(), mapsDir);
    QCOMPARE(commandLine.error(), error);
}

void CommandLineTest::versionNamesTheMapFolderInUse() {
    // The help lists every option that parse() takes.
    const QString help = ViewerCommandLine::helpText();
    QVERIFY(help.startsWith(ViewerCommandLine::usage()));
    for (const char* option : {"--maps DIR", "--help", "--version", "QUILLMARK_MAPS"})
        QVERIFY2(help.contains(QLatin1String(option)), option);

    // From a folder without maps, the test program (in the build folder)
    // falls back to the source tree's; QUILLMARK_MAPS comes first, and --maps
    // is the only folder looked in.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_->path()));
    const QString sourceMaps = QDir::cleanPath(QStringLiteral(MAPS_DIR));
    const QString testMaps = GuiTest::dataPath(QStringLiteral("maps"));
    const QString fromSource = ViewerCommandLine::versionText(QString());
    const QString fromOption = ViewerCommandLine::versionText(testMaps);
    qputenv("QUILLMARK_MAPS", QFile::encodeName(testMaps));
    const QString fromEnvironment = ViewerCommandLine::versionText(QString());
    const QString emptyOption = ViewerCommandLine::versionText(dir_->path());
    qunsetenv("QUILLMARK_MAPS");
    QDir::setCurrent(before);

    QCOMPARE(fromSource, QStringLiteral("quillmark " QUILLMARK_PROJECT_VERSION "\nMaps: ") +
                             sourceMaps + QLatin1Char('\n'));
    QCOMPARE(fromOption.section(QLatin1Char('\n'), 1),
             QStringLiteral("Maps: ") + testMaps + QLatin1Char('\n'));
    QCOMPARE(fromEnvironment, fromOption);
    // A --maps folder without map files is not passed over.
    QCOMPARE(emptyOption.section(QLatin1Char('\n'), 1),
             QStringLiteral("Maps: none found") + QLatin1Char('\n'));
}

void CommandLineTest::mapsOptionIsTheSearchAndIsShownInTheAboutBox() {
    // Without a start-up, the about box shows the search of a run started here.
    QCOMPARE(mapsText(), QStringLiteral("Maps: ") + QDir::cleanPath(QStringLiteral(MAPS_DIR)));

    const QString testMaps = GuiTest::dataPath(QStringLiteral("maps"));
    const std::unique_ptr<AppContext> started = GuiTest::context();
    AppContext& context = *started;
    const std::unique_ptr<frmMain> main = Startup::run(context, {}, testMaps);
    const std::vector<std::string>& folders = context.mapFolders();
    QCOMPARE(folders, std::vector<std::string>{testMaps.toStdString()});
    QCOMPARE(mapsText(&folders), QStringLiteral("Maps: ") + testMaps);
    // Help > About shows the run's own.
    bool shown = false;
    QTimer::singleShot(0, main.get(), [&] {
        auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        QVERIFY(about);
        QCOMPARE(about->findChild<QLabel*>(QStringLiteral("lblMaps"))->text(),
                 QStringLiteral("Maps: ") + testMaps);
        shown = true;
        about->reject();
    });
    QVERIFY(GuiTest::triggerAction(main.get(), QStringLiteral("mnuHelpAbout")));
    QVERIFY(shown);

    const std::vector<std::string> none{dir_->path().toStdString()};
    QCOMPARE(mapsText(&none), QStringLiteral("Maps: none found"));
}

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
