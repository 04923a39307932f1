// The comparison of two claim files: every kind of difference on small files
// built to order, and on generated files and their changed copies the
// comparison against clicking every claim of both files and pairing them by hand.
#include "core/compare/FileComparison.h"

#include "CheckTranscript.h"
#include "GeneratedFiles.h"
#include "NsfRecords.h"
#include "core/claim/NodeClick.h"
#include "core/common/TextUtil.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/TreeBuilder.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/OpenClaimFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <map>
#include <set>

using namespace qm;

namespace {

QStringList words(const QString& text) {
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

std::string trimmed(std::string_view value) {
    return std::string(trimSpaces(value));
}

// A difference in a few words: kind, unit, number, and each field that
// differs as "record id a->b" ("+FA0-3" for a record only B has, "-FA0-3"
// for one only A has).
QString described(const Difference& d) {
    if (d.unit == CompareUnit::Line) {
        auto at = [](const UnitPlace& place) {
            return place.present() ? QString::number(place.line) : QStringLiteral("-");
        };
        return QStringLiteral("%1 line %2/%3: %4")
            .arg(QString::fromLatin1(kindWord(d.kind)), at(d.a), at(d.b),
                 QString::fromStdString(d.name));
    }
    QString text = QString::fromLatin1(kindWord(d.kind)) + QLatin1Char(' ') +
                   QString::fromLatin1(unitWord(d.unit)) + QLatin1Char(' ') +
                   QString::fromStdString(d.number);
    QStringList fields;
    for (const FieldChange& field : d.fields) {
        const QString record = QString::fromStdString(field.record);
        if (!field.inA || !field.inB) {
            const QString whole = (field.inB ? QLatin1Char('+') : QLatin1Char('-')) + record;
            if (!fields.contains(whole))
                fields << whole;
            continue;
        }
        fields << record + QLatin1Char(' ') + QString::fromStdString(field.fieldId) +
                      QLatin1Char(' ') + QString::fromStdString(trimmed(field.a)) +
                      QStringLiteral("->") + QString::fromStdString(trimmed(field.b));
    }
    if (!fields.isEmpty())
        text += QStringLiteral(": ") + fields.join(QStringLiteral(", "));
    return text;
}

struct Compared {
    FileComparison::Summary summary;
    std::vector<Difference> differences;
};

// The claims of a file as clicking each gives them, with the key and batch
// the comparison pairs them by, worked out here from the clicks alone.
struct ClickedClaim {
    std::string key;
    std::string batch; // the batch's provider and its number among batches of that provider
    std::string treeKey;
    AssembledClaim click;
};

std::vector<ClickedClaim> clickEveryClaim(SequentialFile& file,
                                          const std::shared_ptr<const LayoutCatalogue>& layouts,
                                          bool byPosition) {
    const FileTree tree = BuildTree(file);
    auto value = [](const AssembledClaim& click, const char* type, const char* id) {
        const AssembledRecord* record = click.record(type);
        const RecordLayout* layout = record ? click.layout(*record) : nullptr;
        const int field = layout ? layout->indexOf(id) : -1;
        return field >= 0 && record->read ? trimmed(record->value(field)) : std::string();
    };
    std::map<std::int64_t, std::string> batches; // by node
    std::map<std::string, int> batchesOfProvider;
    for (const std::int64_t node : tree.batchNodes()) {
        const std::string provider =
            byPosition ? std::string() : value(NodeClick(file, layouts, tree, node), "BA0", "02.0");
        batches[node] = provider + '#' + std::to_string(batchesOfProvider[provider]++);
    }
    std::vector<ClickedClaim> claims;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0")
            continue;
        ClickedClaim claim;
        claim.click = NodeClick(file, layouts, tree, node);
        const std::int64_t parent = tree.parent(node);
        const auto batch = batches.find(parent);
        claim.batch = batch != batches.end() ? batch->second : std::string("none");
        const std::string provider = batch != batches.end()
                                         ? batch->second.substr(0, batch->second.rfind('#'))
                                         : std::string();
        if (!byPosition)
            claim.key = provider + '|' + value(claim.click, "CA0", "03.0");
        claim.treeKey = tree.key(node);
        claims.push_back(std::move(claim));
    }
    return claims;
}

// The fields of two clicked claims' own records that differ, compared by hand.
QStringList fieldsThatDiffer(const AssembledClaim& a, const AssembledClaim& b) {
    auto own = [](const AssembledClaim& click) {
        std::vector<std::pair<std::string, const AssembledRecord*>> records;
        for (const ClaimNode& node : click.nodes) {
            const AssembledRecord* record = click.record(node);
            static const std::vector<std::string> kShown{"AA0", "BA0", "BA1", "YA0", "ZA0"};
            if (record && std::find(kShown.begin(), kShown.end(), record->type) == kShown.end())
                records.emplace_back(node.key, record);
        }
        return records;
    };
    auto firstDefinitions = [](const RecordLayout& layout) {
        std::vector<int> fields;
        for (int i = 0; i < layout.fieldCount(); ++i)
            if (layout.indexOf(layout.field(i).FieldId) == i)
                fields.push_back(i);
        return fields;
    };
    QStringList out;
    const auto inA = own(a);
    const auto inB = own(b);
    for (const auto& [key, record] : inA) {
        const auto partner = std::find_if(inB.begin(), inB.end(), [&](const auto& other) {
            return other.second->type == record->type &&
                   other.second->occurrence == record->occurrence;
        });
        const RecordLayout& la = *a.layout(*record);
        for (const int i : firstDefinitions(la)) {
            if (partner == inB.end()) {
                out << QStringLiteral("-%1 %2").arg(QString::fromStdString(key),
                                                    QString::fromStdString(la.field(i).FieldId));
                continue;
            }
            const RecordLayout& lb = *b.layout(*partner->second);
            const int j = lb.indexOf(la.field(i).FieldId);
            if (j >= 0 && record->value(i) != partner->second->value(j))
                out << QStringLiteral("%1 %2 %3->%4")
                           .arg(QString::fromStdString(key),
                                QString::fromStdString(la.field(i).FieldId),
                                QString::fromStdString(std::string(record->value(i))),
                                QString::fromStdString(std::string(partner->second->value(j))));
        }
    }
    for (const auto& [key, record] : inB) {
        const bool paired = std::any_of(inA.begin(), inA.end(), [&](const auto& other) {
            return other.second->type == record->type &&
                   other.second->occurrence == record->occurrence;
        });
        if (!paired)
            for (const int j : firstDefinitions(*b.layout(*record)))
                out << QStringLiteral("+%1 %2").arg(
                    QString::fromStdString(key),
                    QString::fromStdString(b.layout(*record)->field(j).FieldId));
    }
    return out;
}

// The same differences from the engine, in the same words.
QStringList fieldsThatDiffer(const Difference& d) {
    QStringList out;
    for (const FieldChange& field : d.fields) {
        const QString where = QString::fromStdString(field.record) + QLatin1Char(' ') +
                              QString::fromStdString(field.fieldId);
        if (!field.inA || !field.inB)
            out << (field.inB ? QLatin1Char('+') : QLatin1Char('-')) + where;
        else
            out << QStringLiteral("%1 %2->%3")
                       .arg(where, QString::fromStdString(field.a),
                            QString::fromStdString(field.b));
    }
    return out;
}

} // namespace

class FileComparisonTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    NsfRecords v301{MAPS_DIR, "nsf0301.map"};
    NsfRecords v200{MAPS_DIR, "nsf0200.map"};

    QString path(const QString& name) const { return dir.filePath(name); }

    // A file from a few words: H file header, B:PROV[:ORG] batch header,
    // C:PCN[:LAST] claim header, F:SEQ:CHARGE service line, X claim trailer,
    // Y batch trailer, Z file trailer, R:TYPE a blank record of that type,
    // S:TEXT a line too short to be a record; "+TEXT" after a word puts
    // TEXT after the record's 320 characters.
    void build(const QString& name, const QString& plan, const NsfRecords& r,
               const std::string& version) {
        std::string bytes;
        std::string pcn;
        for (QString word : words(plan)) {
            const int plus = word.indexOf(QLatin1Char('+'));
            const std::string tail = plus < 0 ? std::string() : word.mid(plus + 1).toStdString();
            word = word.left(plus < 0 ? word.size() : plus);
            const QStringList part = word.split(QLatin1Char(':'));
            const std::string type = part[0].toStdString();
            auto at = [&](int i, const char* otherwise) {
                return i < part.size() ? part[i].toStdString() : std::string(otherwise);
            };
            std::string line;
            if (type == "H")
                line = r.fileHeader("QMTESTSUB01", version);
            else if (type == "B")
                line = r.record("BA0", {{"02.0", at(1, "")}, {"18.0", at(2, "CLINIC")}});
            else if (type == "C")
                line = r.record("CA0", {{"03.0", pcn = at(1, "")}, {"04.0", at(2, "DOE")}});
            else if (type == "F")
                line = r.record("FA0", {{"02.0", at(1, "1")}, {"13.0", at(2, "100")}});
            else if (type == "X")
                line = r.record("XA0", {{"03.0", pcn}});
            else if (type == "R")
                line = r.record(at(1, ""));
            else if (type == "S")
                line = at(1, "");
            else
                line = r.record(type == "Y" ? "YA0" : "ZA0");
            bytes += line + tail + "\r\n";
        }
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray::fromStdString(bytes));
    }

    Compared compare(const QString& a, const QString& b, FileComparison::Options options = {}) {
        CheckTranscript::Opened fileA = CheckTranscript::open(path(a).toStdString());
        CheckTranscript::Opened fileB = CheckTranscript::open(path(b).toStdString());
        Compared compared;
        if (!fileA.file || !fileB.file) {
            qWarning("a file did not open");
            return compared;
        }
        compared.summary = FileComparison::run(
            {*fileA.file, fileA.layouts}, {*fileB.file, fileB.layouts}, options,
            [&](Difference&& d) { compared.differences.push_back(std::move(d)); });
        return compared;
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void eachKindOfDifference_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("byPosition");
        QTest::addColumn<QStringList>("expected");
        const QString two = QStringLiteral("H B:P1 C:A1 F:1 X C:A2 F:1 X Y B:P2 C:A3 F:1 X Y Z");
        QTest::newRow("equal") << two << two << false << QStringList();
        QTest::newRow("equal by position") << two << two << true << QStringList();
        QTest::newRow("claim added")
            << two << QStringLiteral("H B:P1 C:A1 F:1 X C:A2 F:1 X C:A4 X Y B:P2 C:A3 F:1 X Y Z")
            << false << QStringList{QStringLiteral("added claim A4")};
        QTest::newRow("claim removed")
            << two << QStringLiteral("H B:P1 C:A1 F:1 X Y B:P2 C:A3 F:1 X Y Z") << false
            << QStringList{QStringLiteral("removed claim A2")};
        QTest::newRow("claim moved between batches of one provider")
            << QStringLiteral("H B:P1 C:A1 X C:A2 X Y B:P1 C:A3 X Y Z")
            << QStringLiteral("H B:P1 C:A1 X Y B:P1 C:A2 X C:A3 X Y Z") << false
            << QStringList{QStringLiteral("moved claim A2")};
        QTest::newRow("claim moved to another provider")
            << two << QStringLiteral("H B:P1 C:A1 F:1 X Y B:P2 C:A2 F:1 X C:A3 F:1 X Y Z") << false
            << QStringList{QStringLiteral("removed claim A2"), QStringLiteral("added claim A2")};
        QTest::newRow("field changed")
            << two << QStringLiteral("H B:P1 C:A1 F:1 X C:A2:DOW F:1 X Y B:P2 C:A3 F:1 X Y Z")
            << false << QStringList{QStringLiteral("changed claim A2: CA0 04.0 DOE->DOW")};
        QTest::newRow("record added inside a claim")
            << two << QStringLiteral("H B:P1 C:A1 F:1 X C:A2 F:1 F:2 X Y B:P2 C:A3 F:1 X Y Z")
            << false << QStringList{QStringLiteral("changed claim A2: +FA0-2")};
        QTest::newRow("repeated record's occurrence changed")
            << QStringLiteral("H B:P1 C:A1 F:1:100 F:2:250 X Y Z")
            << QStringLiteral("H B:P1 C:A1 F:2:250 F:1:100 X Y Z") << false
            << QStringList{QStringLiteral("changed claim A1: FA0-1 02.0 01->02, FA0-1 13.0 "
                                          "0000100->0000250, FA0-2 02.0 02->01, FA0-2 13.0 "
                                          "0000250->0000100")};
        QTest::newRow("duplicates of a key pair in order")
            << QStringLiteral("H B:P1 C:A1:DOE X C:A1:ROE X Y Z")
            << QStringLiteral("H B:P1 C:A1:DOE X C:A1:RAE X C:A1:POE X Y Z") << false
            << QStringList{QStringLiteral("changed claim A1: CA0 04.0 ROE->RAE"),
                           QStringLiteral("added claim A1")};
        QTest::newRow("batch header changed")
            << two << QStringLiteral("H B:P1:OTHER C:A1 F:1 X C:A2 F:1 X Y B:P2 C:A3 F:1 X Y Z")
            << false << QStringList{QStringLiteral("changed batch P1: BA0 18.0 CLINIC->OTHER")};
        QTest::newRow("batch added, its claims too")
            << QStringLiteral("H B:P1 C:A1 X Y Z")
            << QStringLiteral("H B:P1 C:A1 X Y B:P2 C:A2 X Y Z") << false
            << QStringList{QStringLiteral("added batch P2"), QStringLiteral("added claim A2")};
        QTest::newRow("control number changed, by number")
            << QStringLiteral("H B:P1 C:A1 X Y Z") << QStringLiteral("H B:P1 C:A9 X Y Z") << false
            << QStringList{QStringLiteral("removed claim A1"), QStringLiteral("added claim A9")};
        QTest::newRow("control number changed, by position")
            << QStringLiteral("H B:P1 C:A1 X Y Z") << QStringLiteral("H B:P1 C:A9 X Y Z") << true
            << QStringList{QStringLiteral("changed claim A1: CA0 03.0 A1->A9, XA0 03.0 A1->A9")};
        QTest::newRow("by position, claims shift into the next batch")
            << QStringLiteral("H B:P1 C:A1 X C:A2 X Y B:P2 C:A3 X Y Z")
            << QStringLiteral("H B:P1 C:A1 X Y B:P2 C:A3 X Y Z") << true
            << QStringList{QStringLiteral("moved claim A2: CA0 03.0 A2->A3, XA0 03.0 A2->A3"),
                           QStringLiteral("removed claim A3")};
    }

    void eachKindOfDifference() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, byPosition);
        QFETCH(QStringList, expected);
        build(QStringLiteral("a.nsf"), a, v301, "00301");
        build(QStringLiteral("b.nsf"), b, v301, "00301");
        // With no room to wait in memory, every unit that waits does so in a
        // temporary file, sorted a record at a time: the same differences,
        // the pairs in the order of their keys.
        for (const std::size_t room : {std::size_t(48) << 20, std::size_t(1)}) {
            FileComparison::Options options;
            options.match =
                byPosition ? FileComparison::Match::Position : FileComparison::Match::ControlNumber;
            options.waitingBytes = options.sortBytes = room;
            const Compared compared =
                compare(QStringLiteral("a.nsf"), QStringLiteral("b.nsf"), options);
            QStringList found;
            for (const Difference& d : compared.differences)
                found << described(d);
            QStringList inOrder = expected;
            if (room == 1) {
                found.sort();
                inOrder.sort();
            }
            QCOMPARE(found, inOrder);
            QCOMPARE(compared.summary.total(), std::int64_t(expected.size()));
            QVERIFY(!compared.summary.changedA && !compared.summary.changedB);
            QVERIFY(!compared.summary.incomplete);
            QCOMPARE(compared.summary.unitsA[std::size_t(CompareUnit::Claim)],
                     std::int64_t(words(a).filter(QStringLiteral("C:")).size()));
            QCOMPARE(compared.summary.unitsB[std::size_t(CompareUnit::Claim)],
                     std::int64_t(words(b).filter(QStringLiteral("C:")).size()));
        }
    }

    // A line no unit shows, or a record that differs where no field does,
    // is a row of its own, with what it is and where.
    void linesNoUnitShows_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QStringList>("expected");
        const QString fa0s = QStringLiteral("F:1 ").repeated(99);
        QTest::newRow("a second EA0 in a claim")
            << QStringLiteral("H B:P1 C:A1 R:EA0+x R:EA0 X Y Z")
            << QStringLiteral("H B:P1 C:A1 R:EA0+y R:EA0 X Y Z")
            << QStringList{QStringLiteral("changed line 4/4: an EA0 replaced by a later one in "
                                          "claim CA0645")};
        QTest::newRow("a 100th FA0")
            << QStringLiteral("H B:P1 C:A1 %1F:1+x X Y Z").arg(fa0s)
            << QStringLiteral("H B:P1 C:A1 %1F:1+y X Y Z").arg(fa0s)
            << QStringList{QStringLiteral("changed line 103/103: an FA0 past the 99th in claim "
                                          "CA0645")};
        QTest::newRow("a stray second YA0")
            << QStringLiteral("H B:P1 C:A1 X Y R:YA0+x Z")
            << QStringLiteral("H B:P1 C:A1 X Y R:YA0+y Z")
            << QStringList{QStringLiteral("changed line 6/6: a YA0 record under file header "
                                          "AA01, outside its batches")};
        QTest::newRow("a record outside every claim")
            << QStringLiteral("H B:P1 C:A1 X R:FA0+x Y Z")
            << QStringLiteral("H B:P1 C:A1 X R:FA0+y Y Z")
            << QStringList{QStringLiteral("changed line 5/5: an FA0 record in batch BA0323, "
                                          "outside its claims")};
        QTest::newRow("after the file trailer")
            << QStringLiteral("H B:P1 C:A1 X Y Z R:QQ0+x") << QStringLiteral("H B:P1 C:A1 X Y Z")
            << QStringList{QStringLiteral("removed line 7/-: a QQ0 record outside any file "
                                          "header")};
        QTest::newRow("a short line added")
            << QStringLiteral("H B:P1 C:A1 X Y Z") << QStringLiteral("H B:P1 C:A1 S:hi X Y Z")
            << QStringList{QStringLiteral("added line -/4: a line too short to be a record in "
                                          "claim CA0645")};
        QTest::newRow("beyond the fields")
            << QStringLiteral("H B:P1 C:A1+x X Y Z") << QStringLiteral("H B:P1 C:A1+y X Y Z")
            << QStringList{QStringLiteral("changed line 3/3: CA0 of claim CA0645, outside its "
                                          "fields")};
        QTest::newRow("with the fields that differ")
            << QStringLiteral("H B:P1 C:A1 S:x X Y Z")
            << QStringLiteral("H B:P1 C:A1:ROE S:y X Y Z")
            << QStringList{QStringLiteral("changed claim A1: CA0 04.0 DOE->ROE"),
                           QStringLiteral("changed line 4/4: a line too short to be a record in "
                                          "claim CA0645")};
        // The same lines under units that pair, wherever they are.
        const QString stray =
            QStringLiteral("S:x H B:P1 C:A1 R:EA0 R:EA0 S:y X R:FA0 Y Y C:A2 S:z X Z R:ZA0");
        QTest::newRow("the same lines no unit shows") << stray << stray << QStringList();
        QTest::newRow("a claim moved with its lines")
            << QStringLiteral("H B:P1 C:A1 S:x X C:A2 S:y X Y Z")
            << QStringLiteral("H B:P1 C:A2 S:y X C:A1 S:x X Y Z") << QStringList();
    }

    void linesNoUnitShows() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QStringList, expected);
        build(QStringLiteral("a.nsf"), a, v301, "00301");
        build(QStringLiteral("b.nsf"), b, v301, "00301");
        const Compared compared = compare(QStringLiteral("a.nsf"), QStringLiteral("b.nsf"));
        QStringList found;
        for (const Difference& d : compared.differences)
            found << described(d);
        QCOMPARE(found, expected);
        QCOMPARE(compared.summary.total(), std::int64_t(expected.size()));
        QCOMPARE(compared.summary.unitsA[std::size_t(CompareUnit::Line)],
                 std::int64_t(words(a).size()));
    }

    // Two files whose lines differ never compare the same, however a line
    // differs, whatever the pairing, and with maps that give no fields.
    void anyLineThatDiffersShows() {
        const QString a = path(QStringLiteral("lines-a.nsf"));
        const QString b = path(QStringLiteral("lines-b.nsf"));
        QVERIFY(GeneratedFiles::write(
            words(QStringLiteral("--version 00301 --claims 30 --batches 3 --no-xa0 2 --no-ya0 1 "
                                 "--claim-outside 2 --short-line 3 --record-after-za0")),
            a));
        QFile original(a);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = original.readAll().split('\n');
        // As the reader splits lines: at CR, a CR LF ending one line.
        auto readerLines = [](const QByteArray& bytes) {
            return QByteArray(bytes).replace("\r\n", "\r").split('\r');
        };
        for (quint32 seed = 1; seed <= 40; ++seed) {
            QRandomGenerator random(seed);
            QList<QByteArray> changed = lines;
            // One line, past the file header: dropped, doubled, a byte
            // changed, retyped, or given a leading line feed.
            const int at = 1 + int(random.bounded(changed.size() - 2));
            QByteArray& line = changed[at];
            switch (seed % 5) {
            case 0:
                changed.removeAt(at);
                break;
            case 1:
                changed.insert(at, line);
                break;
            case 2:
                line[int(random.bounded(std::max(1, int(line.size()) - 1)))] ^= 0x21;
                break;
            case 3:
                line.replace(0, 3, QByteArrayList{"EA0", "QQ0", "YA0", "AA0"}[int(seed % 4)]);
                break;
            default:
                line.prepend('\n');
                break;
            }
            const QByteArray bytes = changed.join('\n');
            QFile file(b);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
            const bool differs = readerLines(bytes) != readerLines(lines.join('\n'));
            CheckTranscript::Opened fileA = CheckTranscript::open(a.toStdString());
            CheckTranscript::Opened fileB = CheckTranscript::open(b.toStdString());
            QVERIFY(fileA.file && fileB.file);
            const auto noFields = std::make_shared<const LayoutCatalogue>();
            for (const bool withFields : {true, false}) {
                for (const auto match :
                     {FileComparison::Match::ControlNumber, FileComparison::Match::Position}) {
                    FileComparison::Options options;
                    options.match = match;
                    const FileComparison::Summary summary =
                        FileComparison::run({*fileA.file, withFields ? fileA.layouts : noFields},
                                            {*fileB.file, withFields ? fileB.layouts : noFields},
                                            options, [](Difference&&) {});
                    QVERIFY2((summary.total() > 0) == differs,
                             qPrintable(QStringLiteral("seed %1, line %2, %3 fields, %4")
                                            .arg(seed)
                                            .arg(at + 1)
                                            .arg(withFields ? QStringLiteral("with")
                                                            : QStringLiteral("no"))
                                            .arg(int(match))));
                }
            }
        }
    }

    // Where each unit is in each file, and a record only one side has
    // differs in every field its map gives it.
    void placesAndWholeRecords() {
        build(QStringLiteral("a.nsf"), QStringLiteral("H B:P1 C:A1 X Y Z"), v301, "00301");
        build(QStringLiteral("b.nsf"), QStringLiteral("H B:P1 C:A1 F:1 X Y Z"), v301, "00301");
        const Compared compared = compare(QStringLiteral("a.nsf"), QStringLiteral("b.nsf"));
        QCOMPARE(compared.differences.size(), std::size_t(1));
        const Difference& d = compared.differences.front();
        QCOMPARE(d.a.key(d.unit), std::string("CA0" + std::to_string(1 + 2 * 322)));
        QCOMPARE(d.b.key(d.unit), d.a.key(d.unit));
        QCOMPARE(d.a.batchKey(), std::string("BA0323"));
        QCOMPARE(QString::fromStdString(d.a.text), QStringLiteral("CA0: DOE,  (A1)"));
        QCOMPARE(d.name, std::string("DOE"));
        QCOMPARE(d.number, std::string("A1"));
        std::set<std::string> ids;
        for (const FieldChange& field : d.fields) {
            QVERIFY(!field.inA && field.inB);
            QCOMPARE(field.record, std::string("FA0-1"));
            ids.insert(field.fieldId);
        }
        const CheckTranscript::Opened b =
            CheckTranscript::open(path(QStringLiteral("b.nsf")).toStdString());
        std::set<std::string> fa0;
        for (const FieldDef& field : b.layouts->find("FA0")->fields())
            fa0.insert(field.FieldId);
        QCOMPARE(ids.size(), d.fields.size());
        QCOMPARE(ids, fa0);
    }

    // Each file is read with its own version's map; fields pair by number.
    void filesOfDifferentVersions() {
        const QString plan = QStringLiteral("H B:P1 C:A1:DOE F:1:700 X Y Z");
        build(QStringLiteral("a.nsf"), plan, v301, "00301");
        build(QStringLiteral("b.nsf"), plan, v200, "00200");
        const Compared compared = compare(QStringLiteral("a.nsf"), QStringLiteral("b.nsf"));
        QStringList found;
        for (const Difference& d : compared.differences)
            found << described(d);
        // The claims pair and hold the same values; the file headers name
        // their versions, and a few fields of the headers are of other
        // lengths in the two maps (blanks both).
        QCOMPARE(found, (QStringList{QStringLiteral("changed batch P1: BA0 27.0 ->, BA0 28.0 ->"),
                                     QStringLiteral("changed file header QMTESTSUB01: AA0 19.0 "
                                                    "00301->00200, AA0 28.0 ->, AA0 29.0 ->")}));
        const FieldChange& named = compared.differences.back().fields.at(1);
        QCOMPARE(named.name, std::string("Coordination of Benefits File Indicator"));
        QCOMPARE(named.otherName, std::string("Filler - National"));
    }

    // A comparison that is cancelled says so and lists nothing more; one
    // whose file changed while it was read says that.
    void cancelledAndChangedFiles() {
        const QString a = path(QStringLiteral("big.nsf"));
        // More claims than wait to be paired: the reading is still going when
        // the file changes.
        QVERIFY(GeneratedFiles::write(
            words(QStringLiteral("--version 00301 --claims 8000 --batches 3 --bare-claims")), a));
        QVERIFY(QFile::copy(a, path(QStringLiteral("copy.nsf"))));
        FileComparison::Options options;
        options.progress = [](std::int64_t, std::int64_t) {
            return false;
        };
        Compared compared = compare(QStringLiteral("big.nsf"), QStringLiteral("copy.nsf"), options);
        QVERIFY(compared.summary.cancelled);
        QVERIFY(compared.differences.empty());

        bool appended = false;
        options.progress = [&](std::int64_t, std::int64_t) {
            if (!appended) {
                QFile file(path(QStringLiteral("copy.nsf")));
                appended = file.open(QIODevice::Append) && file.write("\r\n") == 2;
            }
            return true;
        };
        compared = compare(QStringLiteral("big.nsf"), QStringLiteral("copy.nsf"), options);
        QVERIFY(appended);
        QVERIFY(!compared.summary.cancelled);
        QVERIFY(!compared.summary.changedA);
        QVERIFY(compared.summary.changedB);

        // Cancelled once both files are read, while the units that waited in
        // the temporary file (every claim: no two pair) are worked through.
        QVERIFY(GeneratedFiles::write(
            words(QStringLiteral("--version 00301 --claims 8000 --batches 3 --bare-claims --seed "
                                 "9")),
            path(QStringLiteral("other.nsf"))));
        options.waitingBytes = 1;
        options.progress = [](std::int64_t done, std::int64_t total) {
            return done < total;
        };
        compared = compare(QStringLiteral("big.nsf"), QStringLiteral("other.nsf"), options);
        QVERIFY(compared.summary.cancelled);
        QVERIFY(compared.differences.size() < 16000);
    }

    // On generated files and their changed copies, every claim difference the
    // comparison finds is the one clicking every claim of both files and
    // pairing them by hand finds, whatever the pairing and the memory budgets.
    void againstClicksOnGeneratedPairs_data() {
        QTest::addColumn<QString>("generate");
        QTest::addColumn<QString>("mutate");
        QTest::addColumn<quint32>("damage"); // 0: none; else the seed that damages both files
        QTest::newRow("3.01") << QStringLiteral("--version 00301 --claims 120 --batches 5 --seed 3")
                              << QStringLiteral("--add-claims 6 --remove-claims 5 --change-claims "
                                                "9 --change-fields 3")
                              << 0u;
        QTest::newRow("2.00") << QStringLiteral("--version 00200 --claims 80 --batches 2 --seed 8")
                              << QStringLiteral(
                                     "--add-claims 3 --remove-claims 3 --change-claims 3 --seed 4")
                              << 0u;
        QTest::newRow("faults")
            << QStringLiteral("--version 00301 --claims 40 --batches 4 --no-xa0 3 --no-ya0 2 "
                              "--claim-outside 3 --short-line 5 --record-after-za0")
            << QStringLiteral("--remove-claims 4 --change-claims 4 --add-claims 2") << 0u;
        QTest::newRow("bare claims")
            << QStringLiteral("--version 00301 --claims 200 --batches 3 --bare-claims")
            << QStringLiteral("--remove-claims 10 --add-claims 10 --change-claims 10") << 0u;
        QTest::newRow("damaged") << QStringLiteral("--version 00301 --claims 60 --batches 3")
                                 << QStringLiteral("--change-claims 5 --seed 2") << 77u;
    }

    void againstClicksOnGeneratedPairs() {
        QFETCH(QString, generate);
        QFETCH(QString, mutate);
        QFETCH(quint32, damage);
        const QString a = path(QStringLiteral("g.nsf"));
        const QString b = path(QStringLiteral("m.nsf"));
        QVERIFY(GeneratedFiles::write(words(generate), a));
        QVERIFY(GeneratedFiles::write(
            QStringList{QStringLiteral("--mutate-from"), a} + words(mutate), b));
        for (const QString& name : {a, b}) {
            QFile file(name);
            if (!damage || !file.open(QIODevice::ReadWrite))
                continue;
            const QByteArray damaged = GeneratedFiles::damaged(file.readAll(), damage++, true);
            file.resize(0);
            file.seek(0);
            file.write(damaged);
        }
        CheckTranscript::Opened fileA = CheckTranscript::open(a.toStdString());
        CheckTranscript::Opened fileB = CheckTranscript::open(b.toStdString());
        QVERIFY(fileA.file && fileB.file);
        for (const bool byPosition : {false, true}) {
            // By hand: the nth claim of a key in A with the nth of that key in B.
            const std::vector<ClickedClaim> inA =
                clickEveryClaim(*fileA.file, fileA.layouts, byPosition);
            const std::vector<ClickedClaim> inB =
                clickEveryClaim(*fileB.file, fileB.layouts, byPosition);
            std::map<std::string, std::vector<const ClickedClaim*>> waiting;
            for (const ClickedClaim& claim : inB)
                waiting[claim.key].push_back(&claim);
            std::map<std::string, std::size_t> taken;
            QStringList expected;
            for (const ClickedClaim& claim : inA) {
                std::vector<const ClickedClaim*>& partners = waiting[claim.key];
                std::size_t& next = taken[claim.key];
                if (next >= partners.size()) {
                    expected << QStringLiteral("removed ") + QString::fromStdString(claim.treeKey);
                    continue;
                }
                const ClickedClaim& partner = *partners[next++];
                const QStringList fields = fieldsThatDiffer(claim.click, partner.click);
                if (claim.batch != partner.batch || !fields.isEmpty())
                    expected << QStringLiteral("%1 %2 %3: %4")
                                    .arg(claim.batch != partner.batch ? QStringLiteral("moved")
                                                                      : QStringLiteral("changed"),
                                         QString::fromStdString(claim.treeKey),
                                         QString::fromStdString(partner.treeKey),
                                         fields.join(QStringLiteral(", ")));
            }
            for (const auto& [key, partners] : waiting)
                for (std::size_t i = taken[key]; i < partners.size(); ++i)
                    expected << QStringLiteral("added ") +
                                    QString::fromStdString(partners[i]->treeKey);
            expected.sort();

            // Records kept or let go, units waiting in memory or in a
            // temporary file sorted in runs of a record each.
            for (const std::size_t room : {std::size_t(64) << 20, std::size_t(1)}) {
                FileComparison::Options options;
                options.match = byPosition ? FileComparison::Match::Position
                                           : FileComparison::Match::ControlNumber;
                options.keptBytes = options.waitingBytes = options.sortBytes = room;
                QStringList found;
                const FileComparison::Summary summary = FileComparison::run(
                    {*fileA.file, fileA.layouts}, {*fileB.file, fileB.layouts}, options,
                    [&](Difference&& d) {
                        if (d.unit != CompareUnit::Claim)
                            return;
                        if (d.kind == DifferenceKind::Added || d.kind == DifferenceKind::Removed)
                            found << QString::fromLatin1(kindWord(d.kind)) + QLatin1Char(' ') +
                                         QString::fromStdString(
                                             (d.a.present() ? d.a : d.b).key(d.unit));
                        else
                            found << QStringLiteral("%1 %2 %3: %4")
                                         .arg(QString::fromLatin1(kindWord(d.kind)),
                                              QString::fromStdString(d.a.key(d.unit)),
                                              QString::fromStdString(d.b.key(d.unit)),
                                              fieldsThatDiffer(d).join(QStringLiteral(", ")));
                    });
                found.sort();
                QCOMPARE(found, expected);
                QVERIFY(!summary.changedA && !summary.changedB);
                QCOMPARE(summary.unitsA[std::size_t(CompareUnit::Claim)], std::int64_t(inA.size()));
                QCOMPARE(summary.unitsB[std::size_t(CompareUnit::Claim)], std::int64_t(inB.size()));
            }
            if (!byPosition)
                QVERIFY(!expected.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(FileComparisonTest)
#include "FileComparisonTest.moc"
