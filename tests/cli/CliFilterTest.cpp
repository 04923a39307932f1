// `list`, and `--filter` on list, tree and check: a few hundred random
// expressions on generated and damaged files, each against an evaluation of
// this test's own over what `claim --json`, `tree --json` and `check --json`
// say of every claim; the commands against each other; and how an
// expression that cannot be read is told.
#include "CliRunner.h"
#include "GeneratedFiles.h"

#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

// A claim as the other commands show it: its records (type and the values
// by field number), its batch and the kinds of its problems.
struct Claim {
    QString key, batch;
    QList<QPair<QString, QHash<QString, QString>>> records;
    QSet<QString> kinds;
};

// An expression and what it says of a claim.
struct Expression {
    QString text;
    std::function<bool(const Claim&)> holds;
};

// How a field's values compare, from the format file and the map's letters.
enum class Kind { Text, Whole, Tenths, Money, Date };

// A value that reads as a number in its field's kind: a whole number, in a
// date field a real date CCYYMMDD; blank values read as none.
std::optional<qint64> numberOf(Kind kind, const QString& raw) {
    const QString t = raw.trimmed();
    if (t.isEmpty() || (kind == Kind::Date && raw == QLatin1String("00000000")))
        return std::nullopt;
    if (!QRegularExpression(QStringLiteral("^[+-]?[0-9]+$")).match(t).hasMatch())
        return std::nullopt;
    if (kind == Kind::Date &&
        (t.size() != 8 ||
         !QDate(t.left(4).toInt(), t.mid(4, 2).toInt(), t.mid(6, 2).toInt()).isValid()))
        return std::nullopt;
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

QString operator""_q(const char* text, std::size_t size) {
    return QString::fromUtf8(text, qsizetype(size));
}

bool blankIn(Kind kind, const QString& raw) {
    return raw.trimmed().isEmpty() || (kind == Kind::Date && raw == QLatin1String("00000000"));
}

// The expressions: random, printed fully parenthesized, each with its meaning.
class Generator {
public:
    struct Field {
        QString type, id;
        Kind kind;
        QStringList values; // as the file holds them
    };

    Generator(quint32 seed, const QList<Claim>& claims, QList<Field> fields)
        : random_(seed)
        , claims_(claims)
        , fields_(std::move(fields)) {}

    Expression any(int depth) {
        switch (depth > 0 ? random_.bounded(7) : 0) {
        case 0:
        case 1:
        case 2:
            return atom();
        case 3:
            return join(any(depth - 1), any(depth - 1), true);
        case 4:
            return join(any(depth - 1), any(depth - 1), false);
        case 5: {
            const Expression e = any(depth - 1);
            const auto holds = e.holds;
            return {pick({"!", "not "}) + "("_q + e.text + ")"_q, [holds](const Claim& c) {
                        return !holds(c);
                    }};
        }
        default:
            return scope();
        }
    }

private:
    QString pick(std::initializer_list<const char*> words) {
        return QLatin1String(words.begin()[random_.bounded(int(words.size()))]);
    }

    Expression join(const Expression& a, const Expression& b, bool both) {
        const auto x = a.holds, y = b.holds;
        return {"("_q + a.text + (both ? pick({" && ", " and "}) : pick({" || ", " or "})) +
                    b.text + ")"_q,
                [x, y, both](const Claim& c) {
                    return both ? x(c) && y(c) : x(c) || y(c);
                }};
    }

    // A test of one field's value, printed as "F op V" (within a scope "NN.N op V").
    std::pair<QString, std::function<bool(const QString&)>> valueTest(const Field& f, bool scoped) {
        const QString name = scoped ? f.id : f.type + "."_q + f.id;
        const QString value =
            f.values.isEmpty() ? QString() : f.values[random_.bounded(f.values.size())];
        const Kind kind = f.kind;
        if (random_.bounded(8) == 0) {
            const bool exists = random_.bounded(2);
            return {name + (exists ? " exists"_q : " blank"_q), [kind, exists](const QString& v) {
                        return blankIn(kind, v) != exists;
                    }};
        }
        if (kind == Kind::Text)
            return textTest(name, value.trimmed());
        return numberTest(name, kind, numberOf(kind, value).value_or(0));
    }

    std::pair<QString, std::function<bool(const QString&)>> textTest(const QString& name,
                                                                     QString text) {
        if (text.isEmpty() || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\\')))
            text = QStringLiteral("X");
        switch (random_.bounded(5)) {
        case 0:
            return {name + " == \""_q + text + "\""_q, [text](const QString& v) {
                        return !v.trimmed().isEmpty() && v.trimmed() == text;
                    }};
        case 1:
            return {name + " != \""_q + text + "\""_q, [text](const QString& v) {
                        return v.trimmed().isEmpty() || v.trimmed() != text;
                    }};
        case 2: {
            const QString part = text.mid(random_.bounded(text.size()), 2).toLower();
            return {name + " contains \""_q + part + "\""_q, [part](const QString& v) {
                        return !v.trimmed().isEmpty() &&
                               v.trimmed().contains(part, Qt::CaseInsensitive);
                    }};
        }
        case 3: {
            const QString pattern = "^"_q + QRegularExpression::escape(text.left(1)) + "[A-Z]"_q;
            return {name + " matches \""_q + pattern + "\""_q, [pattern](const QString& v) {
                        return !v.trimmed().isEmpty() &&
                               QRegularExpression(pattern).match(v.trimmed()).hasMatch();
                    }};
        }
        default:
            return {name + " in {\""_q + text + "\" \"ZZZ\"}"_q, [text](const QString& v) {
                        return !v.trimmed().isEmpty() &&
                               (v.trimmed() == text || v.trimmed() == QLatin1String("ZZZ"));
                    }};
        }
    }

    // n written as a person types it in the field's kind.
    QString typed(Kind kind, qint64 n) {
        switch (kind) {
        case Kind::Money:
            if (n % 100 == 0 && random_.bounded(2))
                return pick({"", "$"}) + QString::number(n / 100);
            return pick({"", "$"}) +
                   QStringLiteral("%1.%2").arg(n / 100).arg(n % 100, 2, 10, QLatin1Char('0'));
        case Kind::Tenths:
            return QStringLiteral("%1.%2").arg(n / 10).arg(n % 10);
        case Kind::Date: {
            const QDate d(int(n / 10000), int(n / 100 % 100), int(n % 100));
            return random_.bounded(2) ? d.toString(QStringLiteral("yyyy-MM-dd"))
                                      : d.toString(QStringLiteral("MM/dd/yyyy"));
        }
        default:
            return QString::number(n);
        }
    }

    std::pair<QString, std::function<bool(const QString&)>> numberTest(const QString& name,
                                                                       Kind kind, qint64 n) {
        if (kind == Kind::Date &&
            !QDate(int(n / 10000), int(n / 100 % 100), int(n % 100)).isValid())
            n = 20030315;
        qint64 low = n, high = n;
        QString text;
        const int op = random_.bounded(kind == Kind::Date ? 9 : 8);
        static const char* const kOps[] = {"==", "!=", "<", "<=", ">", ">="};
        if (op < 6) {
            text = name + " "_q + QLatin1String(kOps[op]) + " "_q + typed(kind, n);
            if (op == 2)
                low = LLONG_MIN, high = n - 1;
            else if (op == 3)
                low = LLONG_MIN;
            else if (op == 4)
                low = n + 1, high = LLONG_MAX;
            else if (op == 5)
                high = LLONG_MAX;
        } else if (op == 6) {
            high = kind == Kind::Date ? n + 100 : n + 2500;
            if (kind == Kind::Date &&
                !QDate(int(high / 10000), int(high / 100 % 100), int(high % 100)).isValid())
                high = n;
            text = name + " in "_q + typed(kind, low) + ".."_q + typed(kind, high);
        } else if (op == 7) {
            return {name + " in {"_q + typed(kind, n) + " "_q + typed(kind, n + 1) + "}"_q,
                    [kind, n](const QString& v) {
                        const auto x = numberOf(kind, v);
                        return x && (*x == n || *x == n + 1);
                    }};
        } else {
            low = n / 100 * 100 + 1, high = n / 100 * 100 + 31;
            text = name + " in "_q + QString::number(n / 10000) + "-"_q +
                   QStringLiteral("%1").arg(n / 100 % 100, 2, 10, QLatin1Char('0'));
        }
        const bool negate = op == 1;
        return {text, [kind, low, high, negate](const QString& v) {
                    const auto x = numberOf(kind, v);
                    return x ? (*x >= low && *x <= high) != negate : negate;
                }};
    }

    Expression fieldAtom() {
        const Field f = fields_[random_.bounded(fields_.size())];
        const auto [text, passes] = valueTest(f, false);
        const QString type = f.type, id = f.id;
        return {text, [=](const Claim& c) {
                    for (const auto& [t, values] : c.records)
                        if (t == type && passes(values.value(id)))
                            return true;
                    return false;
                }};
    }

    Expression atom() {
        switch (random_.bounded(10)) {
        case 0: {
            const int n = random_.bounded(4);
            return {"count(FA0) >= "_q + QString::number(n), [n](const Claim& c) {
                        int count = 0;
                        for (const auto& record : c.records)
                            count += record.first == QLatin1String("FA0");
                        return count >= n;
                    }};
        }
        case 1: {
            const qint64 n = random_.bounded(40000);
            const QString money = typed(Kind::Money, n);
            return {"sum(FA0.13.0) > "_q + money, [n](const Claim& c) {
                        qint64 sum = 0;
                        for (const auto& [type, values] : c.records)
                            if (type == QLatin1String("FA0"))
                                sum += numberOf(Kind::Whole, values.value(QStringLiteral("13.0")))
                                           .value_or(0);
                        return sum > n;
                    }};
        }
        case 2: {
            static const char* const kKinds[] = {"totals_do_not_compute", "invalid_value", "no_xa0",
                                                 "unreadable"};
            const QString kind = QLatin1String(kKinds[random_.bounded(4)]);
            if (random_.bounded(3) == 0)
                return {QStringLiteral("problem"), [](const Claim& c) {
                            return !c.kinds.isEmpty();
                        }};
            return {"problem == \""_q + kind + "\""_q, [kind](const Claim& c) {
                        return c.kinds.contains(kind);
                    }};
        }
        case 3: {
            const Claim& other = claims_[random_.bounded(claims_.size())];
            const bool batch = random_.bounded(2) && !other.batch.isEmpty();
            const QString key = batch ? other.batch : other.key;
            return {(batch ? "batch == "_q : "claim == "_q) + key.toLower(),
                    [key, batch](const Claim& c) {
                        return (batch ? c.batch : c.key) == key;
                    }};
        }
        default:
            return fieldAtom();
        }
    }

    // any(FA0: a && b) or all(FA0: a) over the service lines.
    Expression scope() {
        QList<Field> lines;
        for (const Field& f : fields_)
            if (f.type == QLatin1String("FA0"))
                lines << f;
        const bool all = random_.bounded(2);
        const Field& one = lines[random_.bounded(lines.size())];
        const Field& other = lines[random_.bounded(lines.size())];
        const auto [a, first] = valueTest(one, true);
        const auto [b, second] = valueTest(other, true);
        const QString text =
            all ? "all(FA0: "_q + a + ")"_q : "any(FA0: "_q + a + " && "_q + b + ")"_q;
        const auto x = first, y = second;
        const QString idX = one.id, idY = other.id;
        return {text, [=](const Claim& c) {
                    int count = 0, passed = 0;
                    for (const auto& [type, values] : c.records) {
                        if (type != QLatin1String("FA0"))
                            continue;
                        ++count;
                        const bool both = x(values.value(idX)) && y(values.value(idY));
                        passed += all ? x(values.value(idX)) : both;
                    }
                    return all ? count > 0 && passed == count : passed > 0;
                }};
    }

    QRandomGenerator random_;
    const QList<Claim>& claims_;
    const QList<Field> fields_;
};

} // namespace

class CliFilterTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static CliRunner::Result cli(const QStringList& arguments) {
        return CliRunner::run(QStringList{QStringLiteral("--maps"), CliRunner::mapsDir()} +
                              arguments);
    }

    static QStringList keysOf(const QJsonDocument& list) {
        QStringList keys;
        for (const QJsonValue claim : list["claims"_q].toArray())
            keys << claim["key"_q].toString();
        return keys;
    }

    // The keys of the claims `list --filter` prints.
    static QStringList listed(const QString& path, const QString& filter) {
        return keysOf(cli({"--json"_q, "list"_q, path, "--filter"_q, filter}).json());
    }

    // The same for many filters, several runs at a time: a sanitized build
    // takes a good part of a second to start.
    static QList<QStringList> listedEach(const QString& path, const QStringList& filters) {
        constexpr int kAtOnce = 8;
        QList<QStringList> keys;
        for (int first = 0; first < filters.size(); first += kAtOnce) {
            std::vector<std::unique_ptr<QProcess>> runs;
            for (int i = first; i < filters.size() && i < first + kAtOnce; ++i) {
                runs.push_back(std::make_unique<QProcess>());
                runs.back()->start(QStringLiteral(QUILLMARK_CLI),
                                   {"--maps"_q, CliRunner::mapsDir(), "--json"_q, "list"_q, path,
                                    "--filter"_q, filters[i]});
            }
            for (const auto& run : runs) {
                run->waitForFinished(60000);
                keys << keysOf(QJsonDocument::fromJson(run->readAllStandardOutput()));
            }
        }
        return keys;
    }

    // Every claim of the file as `tree`, `claim` and `check` show it.
    static QList<Claim> claimsOf(const QString& path) {
        QList<Claim> claims;
        QStringList keys;
        const QJsonDocument tree =
            cli({QStringLiteral("--json"), QStringLiteral("tree"), path}).json();
        for (const QJsonValue node : tree[QStringLiteral("nodes")].toArray()) {
            const QString key = node[QStringLiteral("key")].toString();
            if (!key.startsWith(QLatin1String("CA0")))
                continue;
            const QString parent = node[QStringLiteral("parent")].toString();
            claims.append(
                {key, parent.startsWith(QLatin1String("BA0")) ? parent : QString(), {}, {}});
            keys << key;
        }
        const QJsonArray clicked =
            cli(QStringList{QStringLiteral("--json"), QStringLiteral("claim"), path} + keys)
                .json()
                .array();
        for (int i = 0; i < claims.size() && i < clicked.size(); ++i) {
            const QJsonObject records = clicked[i][QStringLiteral("records")].toObject();
            for (const QJsonValue record : records) {
                QHash<QString, QString> values;
                for (const QJsonValue field : record[QStringLiteral("fields")].toArray())
                    if (!values.contains(field[QStringLiteral("id")].toString()))
                        values.insert(field[QStringLiteral("id")].toString(),
                                      field[QStringLiteral("value")].toString());
                claims[i].records.append({record[QStringLiteral("type")].toString(), values});
            }
        }
        const QJsonDocument check =
            cli({QStringLiteral("--json"), QStringLiteral("check"), path}).json();
        for (const QJsonValue row : check[QStringLiteral("problems")].toArray())
            for (Claim& claim : claims)
                if (row[QStringLiteral("where")].toString() == QLatin1String("claim") &&
                    row[QStringLiteral("claim")].toString() == claim.key)
                    claim.kinds.insert(row[QStringLiteral("kind")].toString());
        return claims;
    }

    // The fields the expressions test, with the values the file holds in them.
    static QList<Generator::Field> fieldsOf(const QList<Claim>& claims) {
        QList<Generator::Field> fields{
            {"CA0"_q, "04.0"_q, Kind::Text, {}},  {"CA0"_q, "03.0"_q, Kind::Text, {}},
            {"CA0"_q, "08.0"_q, Kind::Date, {}},  {"FA0"_q, "05.0"_q, Kind::Date, {}},
            {"FA0"_q, "07.0"_q, Kind::Text, {}},  {"FA0"_q, "09.0"_q, Kind::Text, {}},
            {"FA0"_q, "13.0"_q, Kind::Money, {}}, {"FA0"_q, "18.0"_q, Kind::Tenths, {}},
            {"XA0"_q, "12.0"_q, Kind::Money, {}}, {"XA0"_q, "07.0"_q, Kind::Whole, {}},
            {"BA0"_q, "18.0"_q, Kind::Text, {}},  {"CA0"_q, "12.0"_q, Kind::Text, {}},
            {"FA0"_q, "10.0"_q, Kind::Text, {}}};
        for (Generator::Field& field : fields)
            for (const Claim& claim : claims)
                for (const auto& [type, values] : claim.records)
                    if (type == field.type && values.contains(field.id))
                        field.values << values.value(field.id);
        return fields;
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    // For each expression, the claims `list --filter` prints are those an
    // evaluation over the other commands' output chooses.
    void listAgreesWithClaims_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("generated") << 5u << false;
        QTest::newRow("damaged") << 9u << true;
    }
    void listAgreesWithClaims() {
        QFETCH(quint32, seed);
        QFETCH(bool, damaged);
        QByteArray bytes = GeneratedFiles::generate(
            {QStringLiteral("--version"), QStringLiteral("00301"), QStringLiteral("--seed"),
             QString::number(seed), QStringLiteral("--claims"), QStringLiteral("40"),
             QStringLiteral("--batches"), QStringLiteral("3"), QStringLiteral("--wrong-totals"),
             QStringLiteral("4"), QStringLiteral("--no-xa0"), QStringLiteral("9")});
        if (damaged)
            bytes = GeneratedFiles::damaged(bytes, seed, true);
        const QString path = dir.filePath(QStringLiteral("f%1.nsf").arg(seed));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        const QList<Claim> claims = claimsOf(path);
        QVERIFY(claims.size() > 20);
        Generator generate(seed, claims, fieldsOf(claims));
        QList<Expression> expressions;
        QStringList texts;
        for (int i = 0; i < 150; ++i) {
            expressions << generate.any(3);
            texts << expressions.back().text;
        }
        const QList<QStringList> listedByCli = listedEach(path, texts);
        int chosenSome = 0;
        for (int i = 0; i < expressions.size(); ++i) {
            QStringList expected;
            for (const Claim& claim : claims)
                if (expressions[i].holds(claim))
                    expected << claim.key;
            if (listedByCli[i] != expected)
                qWarning("%s", qPrintable(texts[i]));
            QCOMPARE(listedByCli[i], expected);
            chosenSome += !expected.isEmpty() && expected.size() < claims.size();
        }
        QVERIFY(chosenSome > 40); // the expressions tell claims apart
    }

    // tree and check show the claims list chooses; check keeps the file's and
    // the batches' own problems and counts what it shows.
    void treeAndCheckShowTheSameClaims() {
        const QString path = dir.filePath(QStringLiteral("tc.nsf"));
        QVERIFY(GeneratedFiles::write({QStringLiteral("--version"), QStringLiteral("00301"),
                                       QStringLiteral("--claims"), QStringLiteral("30"),
                                       QStringLiteral("--batches"), QStringLiteral("3"),
                                       QStringLiteral("--wrong-totals"), QStringLiteral("2"),
                                       QStringLiteral("--wrong-batch-total"), QStringLiteral("3"),
                                       QStringLiteral("--no-za0")},
                                      path));
        const QString filter = QStringLiteral("FA0.05.0 in 2003-01..2003-06 || problem");
        const QStringList keys = listed(path, filter);
        QVERIFY(keys.size() > 3 && keys.size() < 30);
        const auto filtered = [&](const char* command) {
            return cli({QStringLiteral("--json"), QLatin1String(command), path,
                        QStringLiteral("--filter"), filter});
        };
        QStringList treeKeys, batches;
        const QJsonDocument tree = filtered("tree").json();
        for (const QJsonValue node : tree[QStringLiteral("nodes")].toArray()) {
            const QString key = node[QStringLiteral("key")].toString();
            (key.startsWith(QLatin1String("CA0")) ? treeKeys : batches) << key;
        }
        QCOMPARE(treeKeys, keys);
        QCOMPARE(tree[QStringLiteral("claims_shown")].toInt(), keys.size());
        QCOMPARE(tree[QStringLiteral("claims")].toInt(), 30);
        QVERIFY(batches.size() >= 2); // the file header and a batch that holds a claim shown
        const CliRunner::Result check = filtered("check");
        QCOMPARE(check.exitCode, 1);
        QStringList checkKeys;
        for (const QJsonValue claim : check.json()[QStringLiteral("claims")].toArray())
            checkKeys << claim[QStringLiteral("key")].toString();
        QCOMPARE(checkKeys, keys);
        const QJsonObject summary = check.json()[QStringLiteral("summary")].toObject();
        QCOMPARE(summary[QStringLiteral("claims")].toInt(), keys.size());
        QCOMPARE(summary[QStringLiteral("claims_in_file")].toInt(), 30);
        QCOMPARE(summary[QStringLiteral("filter")].toString(), filter);
        QSet<QString> scopes;
        for (const QJsonValue row : check.json()[QStringLiteral("problems")].toArray())
            scopes.insert(row[QStringLiteral("where")].toString());
        QCOMPARE(scopes, (QSet<QString>{"claim"_q, "batch"_q, "file"_q}));
    }

    // An expression that cannot be read: status 2, the message with its
    // column, the expression and a mark under the column; no output.
    void unreadableFilter() {
        const QString path = dir.filePath(QStringLiteral("tc.nsf"));
        for (const char* command : {"list", "tree", "check"}) {
            const CliRunner::Result r =
                cli({QLatin1String(command), path, QStringLiteral("--filter"),
                     QStringLiteral("XA0.12.0 > 150.00 &&")});
            QCOMPARE(r.exitCode, 2);
            QVERIFY(r.out.isEmpty());
            QCOMPARE(r.errText(), QStringLiteral("quillmark-cli: --filter: column 21: a field such "
                                                 "as XA0.12.0, or a value, was expected\n"
                                                 "  XA0.12.0 > 150.00 &&\n"
                                                 "                      ^\n"));
        }
        const auto usage = [&](const QStringList& arguments, const char* message) {
            const CliRunner::Result r = cli(arguments);
            QCOMPARE(r.exitCode, 2);
            QVERIFY2(
                r.errText().startsWith(QStringLiteral("quillmark-cli: ") + QLatin1String(message)),
                qPrintable(r.errText()));
        };
        usage({QStringLiteral("search"), path, QStringLiteral("x"), QStringLiteral("--filter"),
               QStringLiteral("problem")},
              "--filter is for list, tree and check only");
        usage({QStringLiteral("list"), path, QStringLiteral("--filter"), QStringLiteral(" ")},
              "--filter needs an expression");
        usage({QStringLiteral("--json"), QStringLiteral("--csv"), QStringLiteral("list"), path},
              "--json and --csv exclude each other");
        usage({QStringLiteral("--csv"), QStringLiteral("check"), path}, "--csv is for list only");
    }
};

QTEST_GUILESS_MAIN(CliFilterTest)
#include "CliFilterTest.moc"
