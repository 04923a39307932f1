#include "CliRunner.h"
#include "NsfRecords.h"
#include "TwoBatchFile.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// `claim`: the claim form's nodes and records for each clicked key, the totals
// verdict, and what carries over between the clicks of one run.
class CliClaimTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords records{MAPS_DIR, "nsf0301.map"};
    TwoBatchFile file{records};
    QString path;

    QJsonArray clickJson(const QStringList& keys) {
        const auto r =
            CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir(),
                                       QStringLiteral("--json"), QStringLiteral("claim"), path} +
                           keys);
        if (r.exitCode != 0)
            qWarning("exit %d: %s", r.exitCode, r.err.constData());
        return r.json().array();
    }
    static QString key(const std::string& k) { return QString::fromStdString(k); }

    // "key<parent" for every node, in order.
    static QStringList nodeList(const QJsonObject& click) {
        QStringList out;
        for (const QJsonValue& v : click.value(QStringLiteral("nodes")).toArray()) {
            const QJsonObject node = v.toObject();
            const QJsonValue parent = node.value(QStringLiteral("parent"));
            out << node.value(QStringLiteral("key")).toString() + QLatin1Char('<') +
                       (parent.isNull() ? QStringLiteral("-") : parent.toString());
        }
        return out;
    }
    static QStringList strings(std::initializer_list<const char*> items) {
        QStringList out;
        for (const char* item : items)
            out << QLatin1String(item);
        return out;
    }
    static QJsonObject record(const QJsonObject& click, const char* nodeKey) {
        return click.value(QStringLiteral("records"))
            .toObject()
            .value(QLatin1String(nodeKey))
            .toObject();
    }
    static QJsonObject field(const QJsonObject& record, const char* id) {
        for (const QJsonValue& v : record.value(QStringLiteral("fields")).toArray())
            if (v.toObject().value(QStringLiteral("id")).toString() == QLatin1String(id))
                return v.toObject();
        return {};
    }

private slots:
    void initTestCase() {
        path = dir.filePath(QStringLiteral("claims.nsf"));
        file.text.write(path);
    }

    void claimShowsEveryRecordUnderItsParent() {
        const QJsonArray clicks = clickJson({key(file.claimA)});
        QCOMPARE(clicks.size(), 1);
        const QJsonObject click = clicks[0].toObject();
        QCOMPARE(click.value(QStringLiteral("key")).toString(), key(file.claimA));
        QCOMPARE(click.value(QStringLiteral("rt")).toString(), QStringLiteral("CA0"));
        QCOMPARE(click.value(QStringLiteral("totals_checked")).toBool(), true);
        QCOMPARE(click.value(QStringLiteral("totals_ok")).toBool(false), true);
        QVERIFY(click.value(QStringLiteral("messages")).toArray().isEmpty());
        QCOMPARE(nodeList(click),
                 strings({"AA0<-", "BA0<AA0", "CA0<BA0", "DA0-1<CA0", "DA1-1<CA0", "FA0-1<CA0",
                          "FA0-2<CA0", "FB0-1<CA0", "XA0<CA0", "YA0<BA0", "ZA0<AA0"}));
        // Every node has its record, and no other record is listed.
        QStringList recordKeys = click.value(QStringLiteral("records")).toObject().keys();
        QStringList nodeKeys;
        for (const QString& n : nodeList(click))
            nodeKeys << n.section(QLatin1Char('<'), 0, 0);
        recordKeys.sort();
        nodeKeys.sort();
        QCOMPARE(recordKeys, nodeKeys);
    }

    void recordsHoldTheirOccurrenceLineAndUntrimmedValues() {
        const QJsonObject click = clickJson({key(file.claimA)}).at(0).toObject();
        const QJsonObject second = record(click, "FA0-2");
        QCOMPARE(second.value(QStringLiteral("type")).toString(), QStringLiteral("FA0"));
        QCOMPARE(second.value(QStringLiteral("occurrence")).toInt(), 2);
        QCOMPARE(second.value(QStringLiteral("line")).toString(),
                 QString::fromStdString(file.secondFa0Line));
        const QJsonObject charges = field(second, "13.0");
        QCOMPARE(charges.value(QStringLiteral("value")).toString(), QStringLiteral("0002500"));
        QCOMPARE(charges.value(QStringLiteral("slot")).toInt(), records.slot("FA0", "13.0"));
        QCOMPARE(charges.value(QStringLiteral("name")).toString(),
                 QString::fromStdString(records.name("FA0", "13.0")));
        QCOMPARE(charges.value(QStringLiteral("codes")).toString(), QStringLiteral("NR"));
        QCOMPARE(charges.value(QStringLiteral("start")).toInt(), 71);
        QCOMPARE(charges.value(QStringLiteral("end")).toInt(), 77);
        QCOMPARE(charges.value(QStringLiteral("length")).toInt(), 7);
        QCOMPARE(charges.value(QStringLiteral("valid")).toBool(false), true);
        QCOMPARE(field(record(click, "FA0-1"), "13.0").value(QStringLiteral("value")).toString(),
                 QStringLiteral("0001000"));
        QCOMPARE(record(click, "FA0-1").value(QStringLiteral("occurrence")).toInt(), 1);

        const QJsonObject ca0 = record(click, "CA0");
        QCOMPARE(ca0.value(QStringLiteral("occurrence")).toInt(), 1);
        QCOMPARE(ca0.value(QStringLiteral("line")).toString(),
                 QString::fromStdString(file.claimALine));
        const QString lastName = field(ca0, "04.0").value(QStringLiteral("value")).toString();
        QCOMPARE(lastName, QStringLiteral("DOE").leftJustified(records.length("CA0", "04.0")));
        // Every field of the layout is listed, in field order.
        const QJsonArray fields = ca0.value(QStringLiteral("fields")).toArray();
        QCOMPARE(fields.size(), records.slot("CA0", "31.0"));
        for (qsizetype i = 0; i < fields.size(); ++i)
            QCOMPARE(fields[i].toObject().value(QStringLiteral("slot")).toInt(), int(i + 1));
    }

    void wrongTotalGivesTheMessageAndFlagsOnlyThatField() {
        const QJsonObject click = clickJson({key(file.claimC)}).at(0).toObject();
        QCOMPARE(click.value(QStringLiteral("totals_checked")).toBool(), true);
        QCOMPARE(click.value(QStringLiteral("totals_ok")).toBool(true), false);
        const QJsonArray messages = click.value(QStringLiteral("messages")).toArray();
        QCOMPARE(messages.size(), 1);
        const QJsonObject message = messages[0].toObject();
        QCOMPARE(message.value(QStringLiteral("text")).toString(),
                 QStringLiteral("XA0 Record totals do not compute!"));
        QCOMPARE(message.value(QStringLiteral("title")).toString(),
                 QStringLiteral("XA0 Record Error"));
        QCOMPARE(message.value(QStringLiteral("icon")).toString(), QStringLiteral("exclamation"));

        const QJsonObject xa0 = record(click, "XA0");
        QCOMPARE(field(xa0, "12.0").value(QStringLiteral("valid")).toBool(true), false);
        for (const char* id : {"04.0", "05.0", "06.0", "07.0", "08.0", "09.0", "10.0", "13.0",
                               "14.0", "15.0", "16.0", "17.0", "18.0", "20.0"})
            QVERIFY2(field(xa0, id).value(QStringLiteral("valid")).toBool(false), id);
        // The claim of the second batch shows its BA1 under the batch.
        QVERIFY(nodeList(click).contains(QStringLiteral("BA1<BA0")));
    }

    void headerAndBatchClicksShowTheirOwnTrees() {
        const QJsonArray clicks = clickJson({key(file.aa0), key(file.batch2), key(file.batch1)});
        QCOMPARE(clicks.size(), 3);
        QCOMPARE(nodeList(clicks[0].toObject()), strings({"AA0<-"}));
        QCOMPARE(clicks[0].toObject().value(QStringLiteral("rt")).toString(),
                 QStringLiteral("AA0"));
        QCOMPARE(clicks[0].toObject().value(QStringLiteral("totals_checked")).toBool(true), false);
        // A batch's BA1 hangs beside the batch header, under the file header.
        QCOMPARE(nodeList(clicks[1].toObject()), strings({"AA0<-", "BA0<AA0", "BA1<AA0"}));
        QCOMPARE(clicks[1].toObject().value(QStringLiteral("rt")).toString(),
                 QStringLiteral("BA0"));
        QCOMPARE(field(record(clicks[1].toObject(), "BA0"), "06.0")
                     .value(QStringLiteral("value"))
                     .toString(),
                 QStringLiteral("987654321"));
        // The first batch has none, whatever the store kept from the second.
        QCOMPARE(nodeList(clicks[2].toObject()), strings({"AA0<-", "BA0<AA0"}));
    }

    void clicksInOneRunShareTheStoreButRestartTheirCounters() {
        const QJsonObject aloneA = clickJson({key(file.claimA)}).at(0).toObject();
        const QJsonObject aloneB = clickJson({key(file.claimB)}).at(0).toObject();
        const QJsonArray clicks =
            clickJson({key(file.claimC), key(file.claimA), key(file.claimB), key(file.claimA)});
        QCOMPARE(clicks.size(), 4);
        QCOMPARE(clicks[0].toObject().value(QStringLiteral("key")).toString(), key(file.claimC));
        // Occurrences restart at every click: B's only FA0 is FA0-1 again, holding B's
        // line, and A's second click finds A as its first did.
        QCOMPARE(clicks[1].toObject(), aloneA);
        QCOMPARE(clicks[2].toObject(), aloneB);
        QCOMPARE(clicks[3].toObject(), aloneA);
        QVERIFY(!nodeList(clicks[2].toObject()).contains(QStringLiteral("FA0-2<CA0")));
        QCOMPARE(field(record(clicks[2].toObject(), "FA0-1"), "13.0")
                     .value(QStringLiteral("value"))
                     .toString(),
                 QStringLiteral("0000700"));
        // C's failed total does not stick to the XA0 of the claims clicked after it.
        QCOMPARE(field(record(clicks[1].toObject(), "XA0"), "12.0")
                     .value(QStringLiteral("valid"))
                     .toBool(false),
                 true);
    }

    // Keys in any case; --pcn adds every claim with that control number, its
    // case ignored, after the keys; one no claim carries stops the run.
    void keysInAnyCaseAndClaimsByControlNumber() {
        auto keysOf = [](const QJsonArray& clicks) {
            QStringList keys;
            for (const QJsonValue& click : clicks)
                keys << click.toObject().value(QStringLiteral("key")).toString();
            return keys;
        };
        QCOMPARE(keysOf(clickJson({key(file.claimA).toLower()})), QStringList{key(file.claimA)});
        QCOMPARE(keysOf(clickJson({QStringLiteral("--pcn"), QStringLiteral("b002")})),
                 QStringList{key(file.claimB)});
        QCOMPARE(keysOf(clickJson({key(file.claimC), QStringLiteral("--pcn=A001")})),
                 (QStringList{key(file.claimC), key(file.claimA)}));
        const auto r =
            CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(), QStringLiteral("claim"),
                            path, QStringLiteral("--pcn"), QStringLiteral("Z999")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.errText().contains(QStringLiteral("no claim carries the patient control number "
                                                     "Z999")),
                 r.err.constData());
    }

    // JSON gives each value as stored and, where its format words it
    // otherwise, as a person reads it.
    void jsonShowsMoneyAsMoney() {
        const QJsonObject xa0 = record(clickJson({key(file.claimC)})[0].toObject(), "XA0");
        QCOMPARE(field(xa0, "12.0").value(QStringLiteral("value")).toString(),
                 QStringLiteral("0000101"));
        QCOMPARE(field(xa0, "12.0").value(QStringLiteral("shown")).toString(),
                 QStringLiteral("$1.01"));
        QVERIFY(field(xa0, "03.0").value(QStringLiteral("shown")).isNull());
    }

    void textMarksInvalidValuesAndShowsTheMessage() {
        const auto r = CliRunner::run({QStringLiteral("--maps"), CliRunner::mapsDir(),
                                       QStringLiteral("claim"), path, key(file.claimC)});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.outText().split(QLatin1Char('\n'));
        QVERIFY2(r.outText().contains(QStringLiteral("XA0 Record totals do not compute!")),
                 r.out.constData());
        QStringList marked;
        for (const QString& line : lines)
            if (line.startsWith(QLatin1String("* ")))
                marked << line;
        QCOMPARE(marked.size(), 1);
        QVERIFY2(marked[0].startsWith(QLatin1String("* 12.0")), qPrintable(marked[0]));
        // The amount as stored, and as money.
        QVERIFY2(marked[0].endsWith(QLatin1String("0000101  ($1.01)")), qPrintable(marked[0]));
        // The record tree, indented by depth.
        QVERIFY(lines.contains(QStringLiteral("        FA0-1")));
    }
};

QTEST_GUILESS_MAIN(CliClaimTest)
#include "CliClaimTest.moc"
