// The file summary in the viewer: shown by itself beside the tree once the
// whole-file check is done (unless turned off), its headline figures those
// of the check, each chart's bars opening what they stand for, charts of a
// few dozen bars with labels shown whole, the charts in the palette's
// colours, copied and saved, and the window closing with its file.
#include "GuiTest.h"
#include "core/check/ProblemWords.h"
#include "core/filetree/FileTree.h"
#include "gui/common/DocumentArea.h"
#include "gui/common/DocumentWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/RecordingDialogs.h"
#include "gui/common/WindowPositions.h"
#include "gui/document/AppContext.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemIcons.h"
#include "gui/filetree/frmNSFTree.h"
#include "gui/problems/frmProblems.h"
#include "gui/search/frmSearchFields.h"
#include "gui/shell/Startup.h"
#include "gui/shell/frmMain.h"
#include "gui/summary/ChartView.h"
#include "gui/summary/MonthBins.h"
#include "gui/summary/frmSummary.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QAbstractBarSeries>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>
#include <sys/stat.h>

namespace {

constexpr int kCheckTimeoutMs = 30000;
const QString kSample = QStringLiteral(SAMPLES_DIR "/sample301.nsf");

} // namespace

class SummaryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmMain> main_;

    template <typename T> T* document(const char* name) const {
        DocumentWindow* d = main_->documents()->findDocument(QLatin1String(name));
        return d ? qobject_cast<T*>(d->widget()) : nullptr;
    }
    frmSummary* summary() const { return document<frmSummary>("frmSummary"); }
    frmNSFTree* tree() const { return document<frmNSFTree>("frmNSFTree"); }

    // Starts the viewer on the sample and waits for its summary, brought
    // forward as Tools > File Summary does (on a small screen it opens minimized).
    frmSummary* start(bool bringForward = true, const QString& file = kSample) {
        main_ = Startup::run(*context_, {file}, QStringLiteral(MAPS_DIR));
        if (!QTest::qWaitFor([this] { return summary() && summary()->statistics(); },
                             kCheckTimeoutMs))
            return nullptr;
        if (bringForward && !GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSummary")))
            return nullptr;
        return QTest::qWaitFor([this] { return !summary()->chartsPending(); }) ? summary()
                                                                               : nullptr;
    }

    // Clicks the middle of bar `bar` of the chart's first bar set that has one there.
    static bool clickBar(ChartView* view, int bar) {
        QChart* chart = view->chart();
        auto* series = qobject_cast<QAbstractBarSeries*>(chart->series().value(0));
        if (!series)
            return false;
        qreal value = 0;
        for (const QBarSet* set : series->barSets())
            if (bar < set->count() && set->at(bar) > 0)
                value = set->at(bar);
        if (value <= 0)
            return false;
        const bool horizontal = series->type() == QAbstractSeries::SeriesTypeHorizontalBar ||
                                series->type() == QAbstractSeries::SeriesTypeHorizontalStackedBar;
        const QPointF middle = chart->mapToPosition(
            horizontal ? QPointF(value / 2, bar) : QPointF(bar, value / 2), series);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->mapFromScene(chart->mapToScene(middle)));
        return true;
    }

private slots:
    void initTestCase() { GuiTest::initTestCase(); }
    void init() {
        dir_ = GuiTest::isolatedFolder();
        context_ = GuiTest::context();
        // Room for a first start's windows at their first-run places: the
        // charts as wide as designed, a bar for each month.
        WindowPositions::setScreenAreas(qApp, {QRect(0, 0, 2560, 1440)});
    }
    void cleanup() {
        main_.reset();
        context_.reset();
        WindowPositions::setScreenAreas(qApp, {});
        GuiTest::release();
        dir_.reset();
    }

    void showsItselfWithTheChecksFigures() {
        frmSummary* window = start();
        QVERIFY(window);
        QVERIFY(tree());
        const ClaimDocument* document = context_->document();
        const ProblemCheck* check = &document->check();
        QCOMPARE(window->statistics(), document->statistics());
        // name, figure: the sample's two batches, six claims, thirteen lines
        const std::vector<std::pair<const char*, QString>> figures{
            {"lblBatches", QStringLiteral("2")},
            {"lblClaims", QStringLiteral("6")},
            {"lblServiceLines", QStringLiteral("13")},
            {"lblTotalCharges", QStringLiteral("$778.51")},
            {"lblLineCharges", QStringLiteral("$983.00")},
            {"lblWithoutXa0", QStringLiteral("1")},
            {"lblProblems", QString::number(check->counts().rows)}};
        for (const auto& [name, figure] : figures)
            QCOMPARE(window->findChild<QLabel*>(QLatin1String(name))->text(), figure);
        for (const char* name : {"chtBatches", "chtProviders", "chtMonths", "chtClaimCharges",
                                 "chtProblems", "chtProcedures"}) {
            ChartView* view = window->chartView(QLatin1String(name));
            QVERIFY2(view && !view->chart()->title().isEmpty(), name);
            const QList<QAbstractAxis*> axes = view->chart()->axes();
            QCOMPARE(axes.size(), 2);
            for (const QAbstractAxis* axis : axes)
                QVERIFY2(!axis->titleText().isEmpty(), name);
        }
    }

    // However many months a file names, the month chart draws a few dozen
    // bars (months, or longer periods that add them up), each naming what it
    // stands for; value axes count in thousands or millions, their labels short.
    void chartsStayFewBarsWithShortLabels_data() {
        QTest::addColumn<int>("years");
        QTest::addColumn<QString>("firstLabel");
        QTest::addColumn<QDate>("firstDay");
        QTest::newRow("a few months") << 0 << QStringLiteral("2024-01") << QDate(2024, 1, 1);
        QTest::newRow("ten thousand years") << 9999 << QStringLiteral("0001") << QDate(1, 1, 1);
    }

    // A file without service lines: charts of no bars keep their axes'
    // titles off their own (an axis of no categories draws its title on top).
    void chartsOfNothingShowNoCategoryTitle() {
        frmSummary window;
        window.resize(1000, 700);
        window.show();
        window.setStatistics(std::make_shared<qm::FileStatistics>());
        QTRY_VERIFY(!window.chartsPending());
        for (const char* name : {"chtMonths", "chtProcedures", "chtProblems"}) {
            QBarCategoryAxis* axis = nullptr;
            for (QAbstractAxis* each : window.chartView(QLatin1String(name))->chart()->axes())
                axis = axis ? axis : qobject_cast<QBarCategoryAxis*>(each);
            QVERIFY2(axis && axis->count() == 0 && !axis->isTitleVisible(), name);
        }
    }

    void chartsStayFewBarsWithShortLabels() {
        QFETCH(int, years);
        QFETCH(QString, firstLabel);
        QFETCH(QDate, firstDay);
        auto statistics = std::make_shared<qm::FileStatistics>();
        if (years == 0)
            for (int month = 1; month <= 5; ++month)
                statistics->months.push_back({2024, month, 1000000});
        for (int year = 1; year <= years; ++year)
            for (int month = 1; month <= 12; ++month)
                statistics->months.push_back({year, month, 1000000});
        statistics->claims = std::int64_t(statistics->months.size()) * 1000000;
        statistics->batches = 1;
        qm::FileStatistics::Batch batch;
        batch.money.charges.add(987654321098);
        statistics->perBatch.push_back(batch);
        frmSummary window;
        window.resize(1000, 700);
        window.show();
        window.setStatistics(statistics);
        QTRY_VERIFY(!window.chartsPending());

        QChart* months = window.chartView(QStringLiteral("chtMonths"))->chart();
        auto* series = qobject_cast<QAbstractBarSeries*>(months->series().value(0));
        QVERIFY(series);
        const QBarSet* bars = series->barSets().value(0);
        QVERIFY(bars->count() > 0 && bars->count() <= MonthBins::kMaxBars);
        QCOMPARE(bars->count() == 5, years == 0);
        auto* categories = qobject_cast<QBarCategoryAxis*>(months->axes(Qt::Horizontal).value(0));
        QVERIFY(categories && categories->count() == bars->count());
        QVERIFY(categories->at(0).startsWith(firstLabel));
        QSignalSpy chosen(&window, &frmSummary::periodChosen);
        QVERIFY(clickBar(window.chartView(QStringLiteral("chtMonths")), 0));
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.at(0).at(0).toDate(), firstDay);

        for (const char* name : {"chtBatches", "chtMonths"}) {
            auto* values = qobject_cast<QValueAxis*>(
                window.chartView(QLatin1String(name))->chart()->axes(Qt::Vertical).value(0));
            QVERIFY2(values, name);
            const QString top =
                QString::asprintf(values->labelFormat().toLatin1().constData(), values->max());
            QVERIFY2(top.size() <= 6, qPrintable(top));
        }
    }

    void withoutFreeRoomItWaitsMinimized() {
        // A main window the user left small: no room beside the tree, so the
        // summary opening by itself must not cover it.
        {
            QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
            for (const QString& line :
                 GuiTest::placeLines(QStringLiteral("frmMain"), QRect(50, 50, 700, 560)))
                settings.setValue(line.section(QLatin1Char('='), 0, 0),
                                  line.section(QLatin1Char('='), 1));
        }
        QVERIFY(start(false));
        auto* document = qobject_cast<QMdiSubWindow*>(summary()->parentWidget());
        QVERIFY(document && document->isMinimized());
        QCOMPARE(main_->documents()->activeSubWindow()->widget(), tree());
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSummary")));
        QVERIFY(!document->isMinimized());
        QCOMPARE(main_->documents()->activeSubWindow(), document);
    }

    void turnedOffItWaitsForTheMenu() {
        {
            QSettings settings(GuiTest::settingsFile(*dir_), QSettings::IniFormat);
            settings.setValue(QStringLiteral("Options/ShowSummaryOnOpen"), false);
        }
        main_ = Startup::run(*context_, {kSample}, QStringLiteral(MAPS_DIR));
        QVERIFY(tree());
        const ProblemCheck* check = &context_->document()->check();
        QVERIFY(QTest::qWaitFor([check] { return check->state() == ProblemMarks::State::Finished; },
                                kCheckTimeoutMs));
        QTest::qWait(50);
        QVERIFY(!summary());
        QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuToolsSummaryOnOpen"))->isChecked());
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuToolsSummary")));
        QVERIFY(summary() && summary()->statistics());
    }

    void closesWithItsFile() {
        QVERIFY(start());
        QVERIFY(GuiTest::triggerAction(main_.get(), QStringLiteral("mnuFileClose")));
        QTRY_VERIFY(!summary());
        QVERIFY(!main_->findChild<QAction*>(QStringLiteral("mnuToolsSummary"))->isEnabled());
    }

    void eachChartsClickOpensWhatItStandsFor_data() {
        QTest::addColumn<QString>("chart");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("opens");
        QTest::newRow("a batch") << QStringLiteral("chtBatches") << 1 << QStringLiteral("BA0");
        QTest::newRow("a provider") << QStringLiteral("chtProviders") << 0 << QStringLiteral("BA0");
        QTest::newRow("a kind of problem")
            << QStringLiteral("chtProblems") << 1 << QStringLiteral("kind");
        QTest::newRow("a month") << QStringLiteral("chtMonths") << 2 << QStringLiteral("month");
        QTest::newRow("a procedure code")
            << QStringLiteral("chtProcedures") << 0 << QStringLiteral("code");
    }

    void eachChartsClickOpensWhatItStandsFor() {
        QFETCH(QString, chart);
        QFETCH(int, bar);
        QFETCH(QString, opens);
        frmSummary* window = start();
        QVERIFY(window);
        const qm::FileStatistics& s = *window->statistics();
        QVERIFY(clickBar(window->chartView(chart), bar));

        if (opens == QLatin1String("BA0")) {
            // Providers are listed with the most charges at the top, and
            // open their first batch.
            std::int64_t position = s.perBatch[std::size_t(bar)].position;
            if (chart == QLatin1String("chtProviders")) {
                const std::string& provider =
                    s.providers[s.providers.size() - 1 - std::size_t(bar)].text;
                position = std::find_if(s.perBatch.begin(), s.perBatch.end(), [&](const auto& b) {
                               return QByteArray::fromStdString(b.text).endsWith(
                                   QByteArray::fromStdString(provider));
                           })->position;
            }
            QTRY_COMPARE(QString::fromStdString(tree()->tree().key(tree()->selectedNode())),
                         QStringLiteral("BA0%1").arg(position));
        } else if (opens == QLatin1String("kind")) {
            std::vector<qm::Problem::Kind> kinds;
            for (int k = 0; k < qm::Problem::kKindCount; ++k)
                if (s.problemsByKind[std::size_t(k)] > 0)
                    kinds.push_back(qm::Problem::Kind(k));
            QVERIFY(std::size_t(bar) < kinds.size());
            frmProblems* problems = nullptr;
            QTRY_VERIFY((problems = document<frmProblems>("frmProblems")));
            QCOMPARE(problems->findChild<QComboBox*>(QStringLiteral("cboCategory"))->currentText(),
                     QString::fromStdString(
                         std::string(qm::ProblemWords::kindName(kinds[std::size_t(bar)]))));
        } else {
            auto* panel = main_->findChild<frmSearchFields*>(QStringLiteral("frmSearchFields"));
            QTRY_VERIFY(panel && panel->isVisible());
            const bool month = opens == QLatin1String("month");
            const QString expected =
                month ? QStringLiteral("%1-%2-01")
                            .arg(s.months[std::size_t(bar)].year)
                            .arg(s.months[std::size_t(bar)].month, 2, 10, QLatin1Char('0'))
                      : QString::fromStdString(
                            s.topByLines[s.topByLines.size() - 1 - std::size_t(bar)].code);
            QCOMPARE(panel->findChild<QLineEdit*>(QStringLiteral("txtSearchFor"))->text(),
                     expected);
            QCOMPARE(panel->findChild<QComboBox*>(QStringLiteral("cboMatch"))->currentIndex(),
                     int(month ? frmSearchFields::NumberBetween : frmSearchFields::Exact));
            QCOMPARE(panel->findChild<QComboBox*>(QStringLiteral("cboField"))->currentData(),
                     QVariant(month ? QStringLiteral("05.0") : QStringLiteral("09.0")));
            // And it ran: the results list the claims found.
            QTRY_VERIFY(document<QWidget>("frmSearchResults"));
        }
    }

    void problemBarsHaveTheirMarksColours() {
        frmSummary* window = start();
        QVERIFY(window);
        auto* series = qobject_cast<QAbstractBarSeries*>(
            window->chartView(QStringLiteral("chtProblems"))->chart()->series().value(0));
        QVERIFY(series && !series->barSets().isEmpty());
        for (QBarSet* set : series->barSets()) {
            qm::Problem::Kind kind = qm::Problem::Kind::NoXa0;
            for (int k = 0; k < qm::Problem::kKindCount; ++k)
                if (set->label().toStdString() == qm::ProblemWords::kindName(qm::Problem::Kind(k)))
                    kind = qm::Problem::Kind(k);
            QCOMPARE(set->color(), ProblemIcons::color(markOf(kind)));
        }
    }

    void chartsFollowThePalette() {
        frmSummary* window = start();
        QVERIFY(window);
        QPalette dark = window->palette();
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x24));
        dark.setColor(QPalette::WindowText, Qt::white);
        window->setPalette(dark);
        QVERIFY(window->chartsPending());
        QTRY_VERIFY(!window->chartsPending());
        for (const char* name : {"chtBatches", "chtProblems"}) {
            QChart* chart = window->chartView(QLatin1String(name))->chart();
            QCOMPARE(chart->theme(), QChart::ChartThemeDark);
            QCOMPARE(chart->backgroundBrush().color(), dark.color(QPalette::Window));
            QCOMPARE(chart->titleBrush().color(), QColor(Qt::white));
        }
    }

    void chartsAreCopiedAndSaved_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("begins");
        QTest::newRow("PNG") << QStringLiteral("mnuChartSavePng") << QStringLiteral("c.png")
                             << QByteArray("\x89PNG");
        QTest::newRow("SVG") << QStringLiteral("mnuChartSaveSvg") << QStringLiteral("c.svg")
                             << QByteArray("<?xml");
    }

    void chartsAreCopiedAndSaved() {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QByteArray, begins);
        frmSummary* window = start();
        QVERIFY(window);
        ChartView* view = window->chartView(QStringLiteral("chtMonths"));
        const QString path = dir_->filePath(file);
        GuiTest::dialogs().setNextFileName(path);
        view->menu()->findChild<QAction*>(action)->trigger();
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY(bytes.startsWith(begins));
        QVERIFY(bytes.contains(file.endsWith(QLatin1String("svg"))
                                   ? QByteArray("Claims per month of service")
                                   : QByteArray("IEND")));
        QCOMPARE(view->image().size(), view->size());
    }

    // A chart is saved as every export is written: never over the open claim
    // file (by any name, the suffix the dialog adds included), never into a
    // pipe (which would block until read) or a device, and a refusal is told.
    void chartSaveRefusesWhatItMustNotReplace_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("reason");
        const QString claimFile =
            QStringLiteral("it is the claim file that is open, which Quillmark never changes");
        QTest::newRow("open claim file") << "claims.nsf"
                                         << "claims.nsf" << claimFile;
        QTest::newRow("link to it") << "link.png"
                                    << "link.png" << claimFile;
        QTest::newRow("link, named without suffix") << "link"
                                                    << "link.png" << claimFile;
        QTest::newRow("named pipe")
            << "pipe.png"
            << "pipe.png" << QStringLiteral("it is a named pipe, not a file");
        QTest::newRow("/dev/full") << "/dev/full"
                                   << "/dev/full" << QStringLiteral("it is a device, not a file");
    }

    void chartSaveRefusesWhatItMustNotReplace() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QString, reason);
        const QString claims = dir_->filePath(QStringLiteral("claims.nsf"));
        QVERIFY(QFile::copy(kSample, claims));
        QVERIFY(QFile::link(claims, dir_->filePath(QStringLiteral("link.png"))));
        QVERIFY(::mkfifo(QFile::encodeName(dir_->filePath(QStringLiteral("pipe.png"))).constData(),
                         0600) == 0);
        QFile original(claims);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        frmSummary* window = start(true, claims);
        QVERIFY(window);
        const QStringList entries = QDir(dir_->path()).entryList(QDir::AllEntries | QDir::System);

        auto inFolder = [this](const QString& name) {
            return name.startsWith(QLatin1Char('/')) ? name : dir_->filePath(name);
        };
        GuiTest::dialogs().setNextFileName(inFolder(chosen));
        ChartView* view = window->chartView(QStringLiteral("chtMonths"));
        view->menu()->findChild<QAction*>(QStringLiteral("mnuChartSavePng"))->trigger();
        QCOMPARE(GuiTest::dialogs().shown().size(), 1);
        QCOMPARE(
            GuiTest::dialogs().shown().constFirst().text,
            QStringLiteral("Unable to save the chart to %1: %2").arg(inFolder(written), reason));
        QCOMPARE(GuiTest::dialogs().shown().constFirst().icon, qm::MessageIcon::Critical);
        QFile after(claims);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), bytes);
        QVERIFY(QFileInfo(dir_->filePath(QStringLiteral("link.png"))).isSymLink());
        // No temporary file is left behind either.
        QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::System), entries);
    }
};

QTEST_MAIN(SummaryTest)
#include "SummaryTest.moc"
