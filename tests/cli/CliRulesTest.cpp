#include "CliRunner.h"
#include "GeneratedFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// Rules on the command line: exit statuses by severity (and --strict),
// severity and rule on every row of check's text and JSON, each rule's
// count in the summary, --rules and --no-integrity, and rules files that
// do not load.
class CliRulesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // A generated file with the faults given, claim 3 of 12 each.
    QString generated(const QString& name, const QStringList& faults) {
        QStringList arguments{QStringLiteral("--version"), QStringLiteral("00301"),
                              QStringLiteral("--claims"), QStringLiteral("12")};
        for (const QString& fault : faults)
            arguments << fault << QStringLiteral("3");
        const QString path = dir.filePath(name);
        if (!QFile::exists(path) && !GeneratedFiles::write(arguments, path))
            qFatal("nsfgen failed");
        return path;
    }
    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(name));
        f.write(bytes);
        return f.fileName();
    }
    static CliRunner::Result run(const QStringList& arguments) {
        return CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir()} +
                              arguments);
    }

private slots:
    void exitStatusBySeverity_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        const QStringList none;
        const QStringList strict{QStringLiteral("--strict")};
        const QStringList off{QStringLiteral("--no-integrity")};
        QTest::newRow("clean") << none << none << 0;
        QTest::newRow("clean, strict") << none << strict << 0;
        QTest::newRow("error") << QStringList{QStringLiteral("--wrong-pcn")} << none << 1;
        QTest::newRow("error, integrity off")
            << QStringList{QStringLiteral("--wrong-pcn")} << off << 0;
        QTest::newRow("warning") << QStringList{QStringLiteral("--late-service")} << none << 0;
        QTest::newRow("warning, strict")
            << QStringList{QStringLiteral("--late-service")} << strict << 1;
        QTest::newRow("note") << QStringList{QStringLiteral("--unlisted-code")} << none << 0;
        QTest::newRow("note, strict")
            << QStringList{QStringLiteral("--unlisted-code")} << strict << 1;
        QTest::newRow("wrong totals, an error as before")
            << QStringList{QStringLiteral("--wrong-totals")} << off << 1;
    }
    void exitStatusBySeverity() {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        const QString file =
            generated(QStringLiteral("f%1.nsf").arg(faults.join(QString()).remove(u'-')), faults);
        for (const bool json : {false, true}) {
            QStringList arguments = json ? QStringList{QStringLiteral("--json")} : QStringList();
            const auto r = run(arguments << QStringLiteral("check") << file << options);
            QVERIFY2(r.exitCode == exitCode, r.err.constData());
        }
    }

    // Every JSON row has its severity and rule; the text gives the severity
    // first; the summary counts rows by severity and each rule's rows and claims.
    void rowsCarrySeverityAndRule() {
        const QString file =
            generated(QStringLiteral("mixed.nsf"),
                      {QStringLiteral("--wrong-totals"), QStringLiteral("--late-service")});
        const auto r = run({QStringLiteral("--json"), QStringLiteral("check"), file});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject document = r.json().object();
        const QJsonArray problems = document[u"problems"].toArray();
        QCOMPARE(problems.size(), 2);
        QStringList got;
        for (const QJsonValue& row : problems)
            got << row[u"kind"].toString() + u'/' + row[u"severity"].toString() + u'/' +
                       (row[u"rule"].isNull() ? QStringLiteral("null") : row[u"rule"].toString());
        QCOMPARE(got,
                 (QStringList{QStringLiteral("totals_do_not_compute/error/null"),
                              QStringLiteral("rule/warning/integrity.service-after-creation")}));
        const QJsonObject summary = document[u"summary"].toObject();
        QCOMPARE(summary[u"errors"].toInt(), 1);
        QCOMPARE(summary[u"warnings"].toInt(), 1);
        QCOMPARE(summary[u"notes"].toInt(), 0);
        const QJsonArray rules = summary[u"rules"].toArray();
        QCOMPARE(rules.size(), 5);
        const QJsonObject late = rules[3].toObject();
        QCOMPARE(late[u"rule"].toString(), u"integrity.service-after-creation");
        QCOMPARE(late[u"severity"].toString(), u"warning");
        QCOMPARE(late[u"rows"].toInt(), 1);
        QCOMPARE(late[u"claims"].toInt(), 1);
        QVERIFY(late[u"file"].toString().endsWith(u"/integrity.rules"));

        const auto text = run({QStringLiteral("check"), file, QStringLiteral("--problems-only")});
        QCOMPARE(text.exitCode, 1);
        const QStringList lines = text.outText().split(u'\n');
        QVERIFY2(lines.filter(QStringLiteral("  warning: Rule: FA0-1 05.0 ")).size() == 1,
                 text.out.constData());
        QVERIFY(lines.contains(QStringLiteral("Errors: 1, warnings: 1, notes: 0")));
        QVERIFY(lines.contains(
            QStringLiteral("Rule integrity.service-after-creation (warning): 1 row in 1 claim")));
        // The summary's problems by kind count the rule's row.
        const auto summaryRun = run({QStringLiteral("--json"), QStringLiteral("summary"), file});
        QCOMPARE(summaryRun.json().object()[u"problems_by_kind"].toObject()[u"rule"].toInt(), 1);
    }

    // --rules adds a payer's rules after the integrity edits; the example
    // file's rules find what they say in a file made to fail them.
    void payerRulesFromAFile() {
        const QString file =
            generated(QStringLiteral("code.nsf"), {QStringLiteral("--unlisted-code")});
        const auto r =
            run({QStringLiteral("--json"), QStringLiteral("check"), file, QStringLiteral("--rules"),
                 QStringLiteral(SAMPLES_DIR "/larkspur.rules")});
        QCOMPARE(r.exitCode, 1);
        QStringList rules;
        for (const QJsonValue& row : r.json().object()[u"problems"].toArray())
            rules << row[u"rule"].toString() + u'/' + row[u"severity"].toString();
        QCOMPARE(rules, (QStringList{QStringLiteral("integrity.listed-codes/note"),
                                     QStringLiteral("larkspur.place-of-service/error")}));
        QCOMPARE(r.json().object()[u"summary"].toObject()[u"rules"].toArray().size(), 12);
    }

    void rulesThatDoNotLoad_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("field the map lacks")
            << QByteArray("rule a\n  severity note\n  message \"{XA0.99.0}\"\n  when problem\n")
            << QStringLiteral(":3:13: a field the map has was expected: it has no XA0.99.0");
        QTest::newRow("binary") << QByteArray("\x7f"
                                              "ELF\x02\x01\x01\0\0",
                                              9)
                                << QStringLiteral(":1:1: text was expected: the control character "
                                                  "0x7F here is none (is this a rules file?)");
    }
    // A rules file that does not load stops the command with status 2,
    // naming its file, line and column; nothing is printed.
    void rulesThatDoNotLoad() {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        const QString rules = write(QStringLiteral("bad.rules"), text);
        const QString file = generated(QStringLiteral("clean.nsf"), {});
        for (const char* command : {"check", "summary", "list"}) {
            const auto r = run({QLatin1String(command), file, QStringLiteral("--rules"), rules});
            QCOMPARE(r.exitCode, 2);
            QCOMPARE(r.errText(),
                     QStringLiteral("quillmark-cli: --rules: ") + rules + error + u'\n');
            QVERIFY(r.out.isEmpty());
        }
    }

    // The options go with the commands that weigh claims only.
    void optionsBelongToTheirCommands() {
        const QString file = generated(QStringLiteral("clean.nsf"), {});
        const auto strict = run({QStringLiteral("summary"), file, QStringLiteral("--strict")});
        QCOMPARE(strict.exitCode, 2);
        QVERIFY(strict.errText().contains(u"--strict is for check only"));
        const auto rules = run({QStringLiteral("search"), file, QStringLiteral("X"),
                                QStringLiteral("--no-integrity")});
        QCOMPARE(rules.exitCode, 2);
        QVERIFY(
            rules.errText().contains(u"--no-integrity is for check, summary, list and tree only"));
    }
};

QTEST_GUILESS_MAIN(CliRulesTest)
#include "CliRulesTest.moc"
