// Rules in the whole-file check: each integrity edit finds the fault the
// generator puts in, and nothing in clean generated files or the samples;
// a payer's rules on claims and on records with their messages; rules
// files that do not load name their file, line and column and load nothing;
// hostile rules files give a clear error.
#include "GeneratedFiles.h"
#include "TestWorkspace.h"
#include "core/check/FileCheck.h"
#include "core/check/ProblemWords.h"
#include "core/rules/RuleSet.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace qm;

namespace {

// Every rule row a check hands on, as "claim index|rule|severity|its words".
class RuleRows : public FileCheck::Consumer {
public:
    void batch(const FileCheck::Batch&) override {}
    void claim(const FileCheck::Claim& claim) override {
        for (const ProblemRow& row : claim.rows)
            add(row);
    }
    void trailer(const FileCheck::Trailer& trailer) override {
        for (const ProblemRow& row : trailer.rows)
            add(row);
    }
    void problem(const ProblemRow& row) override { add(row); }

    const LayoutCatalogue* layouts = nullptr;
    QStringList rows;

private:
    void add(const ProblemRow& row) {
        if (row.problem.kind != Problem::Kind::Rule)
            return;
        std::string words;
        ProblemWords::appendLine(words, row, layouts, ProblemWords::Bytes::Printable);
        rows << QStringLiteral("%1|%2|%3|%4")
                    .arg(row.problem.claim)
                    .arg(QString::fromStdString(std::string(ProblemWords::ruleId(row))),
                         QString::fromStdString(
                             std::string(ProblemWords::severityKey(row.problem.severity()))),
                         QString::fromStdString(words));
    }
};

// The rule rows of a check of path with the integrity edits and then the
// rules text given (none: the integrity edits alone).
QStringList ruleRows(const std::string& path, const std::string& rulesText = {}, int jobs = 2) {
    const auto file = TestWorkspace::openFile(path, {MAPS_DIR});
    if (!file)
        return {QStringLiteral("does not open")};
    RuleSet::Builder builder(file->layouts());
    RulesError error;
    if (!builder.addIntegrity(error) ||
        (!rulesText.empty() && !builder.addText(rulesText, "test.rules", error)))
        return {QString::fromStdString(error.message())};
    FileCheck::Options options;
    options.jobs = jobs;
    options.chunkBytes = 64 * 1024; // claims split between workers too
    options.rules = builder.finish();
    RuleRows rows;
    rows.layouts = file->layouts().get();
    FileCheck::run(file->reader(), file->layouts(), options, rows);
    return rows.rows;
}

// Why a rules text does not load against a map's layouts, or "" when it does.
QString loadError(const std::string& text) {
    const auto file = TestWorkspace::openFile(SAMPLES_DIR "/sample301.nsf", {MAPS_DIR});
    RuleSet::Builder builder(file->layouts());
    RulesError error;
    if (builder.addText(text, "payer.rules", error))
        return {};
    // A file that does not load adds none of its rules.
    if (!builder.finish()->rules().empty())
        return QStringLiteral("rules were added");
    return QString::fromStdString(error.message());
}

} // namespace

class RulesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    std::string generated(const QStringList& arguments, const QString& name) {
        const QString path = dir.filePath(name);
        if (!GeneratedFiles::write(arguments, path))
            qFatal("nsfgen failed for %s", qPrintable(name));
        return path.toStdString();
    }

private slots:
    void integrityEditsFindEachFault_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("row");
        const char* rows[][2] = {
            {"--wrong-pcn", "6|integrity.control-number|error|Rule: FA0-1 03.0 Patient Control "
                            "Number \"%1\" is not the claim's own (its CA0's 03.0)"},
            {"--wrong-sequence", "6|integrity.sequence-numbers|error|Rule: DA1-1 02.0 SEQUENCE NO "
                                 "\"02\" is not 01, the sequence number of the DA0 it follows"},
            {"--bad-date", "6|integrity.calendar-dates|error|Rule: FA0-1 06.0 Service Date To "
                           "\"2003 3 5\" is no calendar date (CCYYMMDD)"},
            {"--late-service", "6|integrity.service-after-creation|warning|Rule: FA0-1 05.0 "
                               "Service Date From %1 lies after the file's creation date, %2 "
                               "(AA0 15.0)"},
            {"--unlisted-code", "6|integrity.listed-codes|note|Rule: FA0-1 07.0 Place of Service "
                                "Code \"13\" is none of the codes its format file lists"},
        };
        for (const char* version : {"00301", "00200"})
            for (const auto& [fault, row] : rows)
                QTest::newRow(qPrintable(
                    QStringLiteral("%1 %2").arg(QLatin1String(version), QLatin1String(fault))))
                    << QString::fromLatin1(version) << QString::fromLatin1(fault)
                    << QString::fromUtf8(row);
    }
    // Claim 7 of 40 gets the fault: one row, of its rule, on that claim.
    void integrityEditsFindEachFault() {
        QFETCH(QString, version);
        QFETCH(QString, fault);
        QFETCH(QString, row);
        const QStringList base{QStringLiteral("--version"), version,
                               QStringLiteral("--seed"),    QStringLiteral("9"),
                               QStringLiteral("--claims"),  QStringLiteral("40")};
        const std::string path = generated(QStringList(base) << fault << QStringLiteral("7"),
                                           version + fault + QStringLiteral(".nsf"));
        const QStringList rows = ruleRows(path);
        QCOMPARE(rows.size(), 1);
        const QString& text = rows.front();
        QString want = row;
        if (fault == u"--wrong-pcn") {
            // The next claim's control number.
            const QString pcn = text.section(u'"', 1, 1);
            QVERIFY2(pcn.endsWith(u"000000008"), qPrintable(text));
            want = row.arg(pcn);
        } else if (fault == u"--late-service") {
            // The day after the file's creation date.
            const QRegularExpressionMatch dates =
                QRegularExpression(QStringLiteral("From (\\S+) lies after .*, (\\S+) \\(AA0"))
                    .match(text);
            QVERIFY2(dates.hasMatch(), qPrintable(text));
            const QDate created = QDate::fromString(dates.captured(2), Qt::ISODate);
            QCOMPARE(QDate::fromString(dates.captured(1), Qt::ISODate), created.addDays(1));
            want = row.arg(dates.captured(1), dates.captured(2));
        }
        QCOMPARE(text, want + QStringLiteral(" [") + text.section(u'|', 1, 1) + u']');
    }

    // Clean files give no finding: generated files with second and third
    // payers (whose DA1 and DA2 carry 02 and 03), split among workers, and
    // the samples.
    void cleanFilesGiveNoFinding() {
        for (const char* version : {"00301", "00200"}) {
            const std::string path = generated(
                {QStringLiteral("--version"), QLatin1String(version), QStringLiteral("--seed"),
                 QStringLiteral("4"), QStringLiteral("--claims"), QStringLiteral("400"),
                 QStringLiteral("--batches"), QStringLiteral("3")},
                QStringLiteral("clean%1.nsf").arg(QLatin1String(version)));
            QCOMPARE(ruleRows(path), QStringList());
        }
        const QStringList samples =
            QDir(QStringLiteral(SAMPLES_DIR)).entryList({QStringLiteral("*.nsf")}, QDir::Files);
        QVERIFY(samples.size() >= 3);
        for (const QString& sample : samples)
            QCOMPARE(ruleRows(QStringLiteral(SAMPLES_DIR "/%1").arg(sample).toStdString()),
                     QStringList());
    }

    // The edits weigh values, not bytes: a control number padded otherwise,
    // a sequence number padded with a blank, a 29th of February of a leap
    // year are the claim's own and no finding; a wrong number is.
    void integrityEditsWeighValues_data() {
        QTest::addColumn<int>("column"); // of the first FA0 of the first claim
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("rule"); // of every row, or none
        QTest::newRow("control number shifted") << 6 << QByteArray(" =") << QString();
        QTest::newRow("control number other")
            << 6 << QByteArray("X=") << QStringLiteral("control-number");
        QTest::newRow("sequence number blank-padded") << 4 << QByteArray(" 1") << QString();
        QTest::newRow("sequence number wrong")
            << 4 << QByteArray("02") << QStringLiteral("sequence-numbers");
        for (const char* leapDay : {"20000229", "19960229", "19920229"})
            QTest::newRow(leapDay) << 48 << QByteArray(leapDay) << QString();
    }
    void integrityEditsWeighValues() {
        QFETCH(int, column);
        QFETCH(QByteArray, text);
        QFETCH(QString, rule);
        const QString name = QStringLiteral("values.nsf");
        generated({QStringLiteral("--version"), QStringLiteral("00301"), QStringLiteral("--seed"),
                   QStringLiteral("9"), QStringLiteral("--claims"), QStringLiteral("3")},
                  name);
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype fa0 = bytes.indexOf("\r\nFA0") + 2;
        QVERIFY(fa0 > 2);
        // "=": the control number (03.0, columns 6 to 22) as it was, without its blanks.
        const QByteArray pcn = bytes.mid(fa0 + 5, 17).trimmed();
        if (text.endsWith('='))
            text = (text.chopped(1) + pcn).leftJustified(17, ' ', true);
        bytes.replace(fa0 + column - 1, text.size(), text);
        QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        file.close();
        const QStringList rows = ruleRows(dir.filePath(name).toStdString());
        QCOMPARE(rows.isEmpty(), rule.isEmpty());
        for (const QString& row : rows)
            QCOMPARE(row.section(u'|', 1, 1), QStringLiteral("integrity.") + rule);
    }

    // A payer's rules: on the claim, with a field's value in the message,
    // and on each record of a type, with the record's key; after the
    // integrity edits, each rule's rows together.
    void payerRulesOnClaimsAndRecords() {
        const std::string path = generated({QStringLiteral("--version"), QStringLiteral("00301"),
                                            QStringLiteral("--seed"), QStringLiteral("9"),
                                            QStringLiteral("--claims"), QStringLiteral("12"),
                                            QStringLiteral("--unlisted-code"), QStringLiteral("3")},
                                           QStringLiteral("payer.nsf"));
        const std::string rules = "# a made-up payer\n"
                                  "rule acme.place\n"
                                  "  severity error\n"
                                  "  message \"{record}: place {07.0} is not covered\"\n"
                                  "  for each FA0 when 07.0 != \"11\"\n"
                                  "\n"
                                  "rule acme.third-claim\n"
                                  "  severity warning\n"
                                  "  message \"charges {XA0.12.0}, birth {CA0.08.0}, {{braces}}\"\n"
                                  "  when any(FA0: 07.0 == \"13\")\n"
                                  "    && count(FA0) >= 1\n";
        const QStringList rows = ruleRows(path, rules);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].section(u'|', 0, 2), QStringLiteral("2|integrity.listed-codes|note"));
        QCOMPARE(
            rows[1],
            QStringLiteral("2|acme.place|error|Rule: FA0-1: place 13 is not covered [acme.place]"));
        QVERIFY2(rows[2].startsWith(QStringLiteral("2|acme.third-claim|warning|Rule: charges $")) &&
                     rows[2].endsWith(u", {braces} [acme.third-claim]"),
                 qPrintable(rows[2]));
        // The same rows from one worker as from two.
        QCOMPARE(ruleRows(path, rules, 1), rows);
    }

    // Rules that ask the same of the same fields are weighed together,
    // sharing each field's reading and each test: each rule chooses what it
    // chooses alone, on claims with faults (no XA0, wrong totals) too.
    void rulesTogetherChooseAsAlone() {
        const std::string path = generated(
            {QStringLiteral("--version"), QStringLiteral("00301"), QStringLiteral("--seed"),
             QStringLiteral("5"), QStringLiteral("--claims"), QStringLiteral("120"),
             QStringLiteral("--batches"), QStringLiteral("3"), QStringLiteral("--no-xa0"),
             QStringLiteral("4"), QStringLiteral("--wrong-totals"), QStringLiteral("9"),
             QStringLiteral("--unlisted-code"), QStringLiteral("11")},
            QStringLiteral("together.nsf"));
        const char* const conditions[] = {
            "when XA0.12.0 > 300.00",
            "when XA0.12.0 > 300.00 && !(XA0.12.0 > 900.00) && CA0.08.0 exists",
            "when FA0.13.0 == 20.00 || XA0.12.0 == 100.00",
            "when FA0.13.0 != 20.00 && XA0.12.0 != 100.00",
            "when count(FA0) > 1 && CA0.08.0 exists",
            "when count(FA0) in {1 3} || count(DA0) == 2 || CA0.08.0 blank",
            "for each FA0 when 07.0 == \"11\"",
            "for each FA0 when 07.0 == \"11\" && 13.0 > 50.00 || 07.0 != \"22\"",
            "for each FA0 when 07.0 in {\"11\" \"13\"} && 05.0 exists",
            "when FA0.07.0 == \"11\" || FA0.07.0 in {\"11\" \"13\"}",
            "when FA0.05.0 in 2003-03 || FA0.06.0 blank || FA0.06.0 < 2003-02-10",
            "when sum(FA0.13.0) > 400.00 && FA0.13.0 > 100.00",
            "when any(FA0: 05.0 in 2003-03 && 13.0 > 100.00) && !any(FA0: 07.0 == \"11\")",
            "when all(FA0: 07.0 in {\"11\" \"22\"}) || all(DA0.02.0 == \"01\")",
            "when problem || problem == \"no_xa0\" || CA0.04.0 matches \"^[A-M]\"",
            "when claim contains \"CA01\" || batch contains \"BA0\" && BA0.18.0 blank",
            "for each DA0 when 02.0 == \"02\" || 23.0 == \"F\"",
            "for each CA0 when 08.0 < 1960-01-01 || 04.0 contains \"son\"",
        };
        auto rule = [&](std::size_t i) {
            return "rule t." + std::to_string(i) + "\n  severity note\n  message \"found\"\n  " +
                   conditions[i] + "\n\n";
        };
        std::string all;
        QStringList alone;
        for (std::size_t i = 0; i < std::size(conditions); ++i) {
            all += rule(i);
            alone << ruleRows(path, rule(i)).filter(QStringLiteral("|t."));
        }
        QStringList together = ruleRows(path, all).filter(QStringLiteral("|t."));
        // Enough rows that a rule choosing wrongly shows.
        QVERIFY2(together.size() > 300, qPrintable(QString::number(together.size())));
        together.sort();
        alone.sort();
        QCOMPARE(together, alone);
    }

    void loadErrorsNameLineAndColumn_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        auto row = [](const char* name, const char* text, const char* error) {
            QTest::newRow(name) << QByteArray(text) << QString::fromUtf8(error);
        };
        row("no rule first", "severity error\n",
            "payer.rules:1:1: a line `rule ID` was expected first");
        row("bad id", "rule a/b\n",
            "payer.rules:1:6: a rule id was expected: up to 64 letters, "
            "digits, '.', '-' and '_', such as acme.high-charges");
        row("bad severity", "rule a\n  severity fatal\n",
            "payer.rules:2:12: a severity was expected: error, warning or note");
        row("no severity", "rule a\n  message \"m\"\n  when problem\n",
            "payer.rules:1:1: rule a has no severity: a line `severity error`, `severity "
            "warning` or `severity note` was expected");
        row("no message", "rule a\n  severity note\n  when problem\n",
            "payer.rules:1:1: rule a has no message: a line `message \"...\"` was expected");
        row("open message", "rule a\n  severity note\n  message \"abc\n",
            "payer.rules:3:15: a \" closing the message begun at column 11 was expected");
        row("unknown part", "rule a\n  severity note\n  colour red\n",
            "payer.rules:3:3: severity, message, when, for each or check was expected (an "
            "expression that goes on over several lines is indented)");
        row("field the map lacks in the message",
            "rule a\n  severity note\n  message \"total {XA0.99.0}\"\n  when problem\n",
            "payer.rules:3:19: a field the map has was expected: it has no XA0.99.0");
        row("field the map lacks in the expression",
            "rule a\n  severity note\n  message \"m\"\n  when problem ||\n    XA0.99.0 > 1\n",
            "payer.rules:5:5: a field the map has was expected: it has no XA0.99.0");
        row("record rule of another type's field",
            "rule a\n  severity note\n  message \"{CA0.04.0}\"\n  for each FA0 when 05.0 blank\n",
            "payer.rules:3:13: a field of FA0 was expected: a rule for each FA0 names the fields "
            "of that record ({05.0})");
        row("record rule on no claim record",
            "rule a\n  severity note\n  message \"m\"\n  for each ZA0 when 05.0 blank\n",
            "payer.rules:4:12: a record type of a claim's own was expected, CA0 to XA0, such as "
            "FA0");
        row("record rule that closes its record early",
            "rule a\n  severity note\n  message \"m\"\n  for each FA0 when 05.0 blank) || "
            "(count(FA0) > 0\n",
            "payer.rules:4:31: a ( before this ) was expected");
        row("unknown edit", "rule a\n  severity note\n  check spelling\n",
            "payer.rules:3:9: a built-in edit was expected: control-number, sequence-numbers, "
            "calendar-dates, service-after-creation or listed-codes");
        row("two checks", "rule a\n  severity note\n  check listed-codes\n  when problem\n",
            "payer.rules:4:3: one thing to check was expected: the rule has a `when`, `for "
            "each` or `check` at line 3 already");
        row("same id twice",
            "rule a\n  severity note\n  check listed-codes\nrule a\n  severity note\n"
            "  check calendar-dates\n",
            "payer.rules:4:6: a rule id of its own was expected: a is the rule at line 1");
        row("a good rule, then a bad one",
            "rule a.ok\n  severity note\n  message \"m\"\n  when count(FA0) > 99\n\nrule b\n"
            "  severity note\n  message \"m\"\n  when XA0.12.0 >\n",
            "payer.rules:9:18: an amount such as 500.00 or $500 was expected (XA0.12.0 holds "
            "amounts of money)");
        row("binary", "rule a\n\x01\x02\x7f",
            "payer.rules:2:1: text was expected: the control "
            "character 0x01 here is none (is this a rules "
            "file?)");
        row("not UTF-8", "# caf\xe9\n",
            "payer.rules:1:6: UTF-8 text was expected: the byte 0xE9 "
            "here is none (is this a rules file?)");
    }
    void loadErrorsNameLineAndColumn() {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        QCOMPARE(loadError(text.toStdString()), error);
    }

    // Hostile rules files: too many rules, deep nesting, too many and
    // catastrophic regular expressions, a file too long. Each a clear
    // error, or (the regular expression) a check that still ends.
    void hostileRulesFiles() {
        std::string many;
        for (int i = 0; i < 100000; ++i)
            many += "rule r" + std::to_string(i) + "\n  severity note\n  check listed-codes\n";
        QCOMPARE(loadError(many),
                 QStringLiteral("payer.rules:6001:1: at most 2000 rules were expected in all the "
                                "rules files: this is one more"));
        const std::string deep = "rule deep\n  severity note\n  message \"m\"\n  when " +
                                 std::string(1000, '(') + "problem" + std::string(1000, ')') + "\n";
        QCOMPARE(loadError(deep), QStringLiteral("payer.rules:4:73: a simpler expression was "
                                                 "expected: this one nests more than 64 deep"));
        std::string patterns;
        for (int i = 0; i < 17; ++i)
            patterns += "rule p" + std::to_string(i) +
                        "\n  severity note\n  message \"m\"\n  when CA0.04.0 matches \"S\"\n";
        QCOMPARE(loadError(patterns),
                 QStringLiteral("payer.rules:68:8: at most 16 regular expressions (matches) were "
                                "expected in all the rules: this rule brings them to 17"));
        const std::string path = generated({QStringLiteral("--version"), QStringLiteral("00301"),
                                            QStringLiteral("--claims"), QStringLiteral("30")},
                                           QStringLiteral("hostile.nsf"));
        // RE2 runs in linear time: a pattern that backtracks for ever elsewhere.
        const QStringList rows = ruleRows(path, "rule slow\n  severity note\n  message \"m\"\n"
                                                "  when CA0.04.0 matches \"^(a+)+$\" || "
                                                "CA0.04.0 matches \"(x+x+)+y\"\n");
        QCOMPARE(rows, QStringList());
    }

    // A rules file read from disk: one too long, or missing, names the file.
    void rulesFilesOnDisk() {
        const auto file = TestWorkspace::openFile(SAMPLES_DIR "/sample301.nsf", {MAPS_DIR});
        QVERIFY(file);
        RuleSet::Builder builder(file->layouts());
        RulesError error;
        const std::string missing = dir.filePath(QStringLiteral("missing.rules")).toStdString();
        QVERIFY(!builder.addFile(missing, error));
        QCOMPARE(QString::fromStdString(error.message()),
                 QString::fromStdString(missing) + QStringLiteral(": No such file or directory"));
        QFile big(dir.filePath(QStringLiteral("big.rules")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(int(RuleSet::kMaxFileBytes) + 10, '#'));
        big.close();
        QVERIFY(!builder.addFile(big.fileName().toStdString(), error));
        QVERIFY2(QString::fromStdString(error.what).contains(u"this one is longer"),
                 error.what.c_str());
        // The example payer's rules load with both maps.
        QVERIFY(builder.addFile(SAMPLES_DIR "/larkspur.rules", error));
        QCOMPARE(int(builder.finish()->rules().size()), 7);
        const auto old = TestWorkspace::openFile(SAMPLES_DIR "/sample200.nsf", {MAPS_DIR});
        RuleSet::Builder oldBuilder(old->layouts());
        QVERIFY2(oldBuilder.addFile(SAMPLES_DIR "/larkspur.rules", error), error.message().c_str());
        QVERIFY(oldBuilder.addIntegrity(error));
        QCOMPARE(int(oldBuilder.finish()->rules().size()), 12);
    }
};

QTEST_GUILESS_MAIN(RulesTest)
#include "RulesTest.moc"
