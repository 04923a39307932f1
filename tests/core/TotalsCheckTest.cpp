#include "core/claim/TotalsCheck.h"

#include "ClaimFileBuilder.h"
#include "TestRecords.h"
#include "TestWorkspace.h"
#include "core/claim/NodeClick.h"
#include "core/common/MessageTexts.h"
#include "core/filetree/TreeBuilder.h"

#include <QTest>

using namespace qm;
using B = ClaimFileBuilder;

class TotalsCheckTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestWorkspace> ws;
    const FileTree* tree_ = nullptr;
    const FileTree& tree() const { return *tree_; }

    // One batch holding the given claims, each a list of lines.
    void openClaims(const std::vector<std::vector<std::string>>& claims) {
        B b;
        b.add(rec::aa0()).add(rec::ba0());
        for (const auto& claim : claims)
            for (const auto& line : claim)
                b.add(line);
        b.add(rec::ya0()).add(rec::za0());
        ws = std::make_unique<TestWorkspace>();
        ws->write("t.nsf", b.bytes());
        QVERIFY(ws->open("t.nsf"));
        tree_ = &ws->buildTree();
    }

    AssembledClaim clickClaim(int n) {
        int seen = 0;
        for (std::int64_t i = 0; i < tree().size(); ++i)
            if (tree().recordType(i) == "CA0" && ++seen == n)
                return NodeClick(*ws->file, i);
        qFatal("no such claim");
    }

    // Valid flags of the compared XA0 fields, as "id" for valid and "!id" for invalid.
    static QString xa0Flags(const AssembledClaim& claim) {
        const AssembledRecord* record = claim.record("XA0");
        if (!record)
            return QStringLiteral("no XA0");
        const RecordLayout& xa0 = *claim.layout(*record);
        QStringList out;
        for (int i = 0; i < xa0.fieldCount(); ++i) {
            const FieldDef& f = xa0.field(i);
            if (f.FieldId == "01.0" || f.FieldId == "11.0" || f.FieldId == "19.0")
                continue;
            out << QString::fromStdString((record->valid(i) ? "" : "!") + f.FieldId);
        }
        return out.join(QLatin1Char(' '));
    }

    // What the claim's records give for a compared XA0 field.
    static std::int64_t computed(const AssembledClaim& claim, const char* fieldId) {
        for (const TotalsComparison& c : claim.totals.compared)
            if (c.fieldId == fieldId)
                return c.computed;
        qFatal("%s was not compared", fieldId);
    }

    static std::vector<std::string> goodClaim(rec::Totals t = {1, 2, 1, 3, 0, 1, -1, 3000, 40, 60,
                                                               2, 3, 4, 500, 1}) {
        return {rec::ca0("GOOD"),
                rec::da0(1),
                rec::da1(1, 500),
                rec::ea0(),
                rec::fa0(1, 1000, 10, 20),
                rec::fb0(1, 1, 2, 3, 4),
                rec::fa0(2, 2000, 30, 40),
                rec::ha0(),
                rec::xa0(t)};
    }

    static const char* allValid() {
        return "04.0 05.0 06.0 07.0 08.0 09.0 10.0 12.0 13.0 14.0 15.0 16.0 17.0 18.0 20.0";
    }

private slots:
    void rightTotalsPass() {
        openClaims({goodClaim()});
        AssembledClaim r = clickClaim(1);
        QCOMPARE(r.totals.state, TotalsState::Ok);
        QVERIFY(r.totals.xa0Present);
        QVERIFY(r.totals.mismatched().empty());
        QCOMPARE(r.totals.compared.size(), std::size_t(15));
        QCOMPARE(xa0Flags(r), QString::fromLatin1(allValid()));
        QCOMPARE(computed(r, "07.0"), 3); // CountF
        QCOMPARE(computed(r, "10.0"), 8); // all six counts
        QCOMPARE(computed(r, "12.0"), 3000);
        QCOMPARE(computed(r, "13.0"), 40);
        QCOMPARE(computed(r, "14.0"), 60);
        QCOMPARE(computed(r, "20.0"), 1);
        QCOMPARE(computed(r, "18.0"), 500);
    }

    void oneAmountOffByOne() {
        rec::Totals t{1, 2, 1, 3, 0, 1, -1, 3001, 40, 60, 2, 3, 4, 500, 1};
        openClaims({goodClaim(t)});
        AssembledClaim r = clickClaim(1);
        QVERIFY(!r.totals.ok());
        QCOMPARE(r.totals.mismatched(), std::vector<std::string>{"12.0"});
        // What the XA0 states and what the records give, for the user to see.
        QCOMPARE(r.totals.compared[7].fieldId, std::string("12.0"));
        QCOMPARE(r.totals.compared[7].stated, std::string("0003001"));
        QCOMPARE(r.totals.compared[7].computed, 3000);
        QCOMPARE(xa0Flags(r), QString::fromLatin1(allValid())
                                  .replace(QStringLiteral("12.0"), QStringLiteral("!12.0")));
        const Message msg = MessageTexts::totalsDoNotCompute();
        QCOMPARE(msg.text, std::string("XA0 Record totals do not compute!"));
        QCOMPARE(msg.title, std::string("XA0 Record Error"));
        QCOMPARE(msg.icon, MessageIcon::Exclamation);
    }

    void onlyTheRecordCountDiffers() {
        rec::Totals t{1, 2, 1, 3, 0, 1, 9, 3000, 40, 60, 2, 3, 4, 500, 1};
        openClaims({goodClaim(t)});
        QCOMPARE(clickClaim(1).totals.mismatched(), std::vector<std::string>{"10.0"});
    }

    void blankAndUnreadableTotals() {
        std::string xa0 = rec::xa0({1, 2, 1, 3, 0, 1, -1, 3000, 40, 60, 2, 3, 4, 500, 1});
        xa0.replace(77, 7, "       "); // 12.0 blank: not compared
        xa0.replace(22, 2, "AB");      // 04.0 letters: cannot match
        auto claim = goodClaim();
        claim.back() = xa0;
        openClaims({claim});
        AssembledClaim r = clickClaim(1);
        QCOMPARE(r.totals.mismatched(), std::vector<std::string>{"04.0"});
        // The blank total keeps the verdict of its own field check.
        QCOMPARE(xa0Flags(r), QString::fromLatin1(allValid())
                                  .replace(QStringLiteral("04.0"), QStringLiteral("!04.0")));
    }

    void blankSummedFieldAddsNothing() {
        std::string fa0 = rec::fa0(1, 0);
        fa0.replace(70, 7, "       ");
        openClaims({{rec::ca0("X"), fa0, rec::xa0({1, 0, 0, 1, 0, 0, -1, 0})}});
        QVERIFY(clickClaim(1).totals.ok());
    }

    // Sums are added in 64 bits: a $30,000,000.00 line charge counts (in 32
    // bits it was skipped and the claim passed). A sum past 64 bits, or an
    // amount beyond them, is too large to add up: its XA0 field could not be
    // checked, never compared with a wrapped figure.
    void sumsPastTheirRangeAreTooLargeToAddUp() {
        openClaims({{rec::ca0("X"), rec::fa0(1, 0), rec::xa0({1, 0, 0, 1})}});
        ClaimTotals t;
        SumClaimField(t, "FA0", "13.0", "N", "3000000000");
        SumClaimField(t, "FA0", "13.0", "N", "  647 ");
        SumClaimField(t, "FA0", "13.0", "X", "1");
        SumClaimField(t, "FA0", "13.0", "N", "1.5");
        QCOMPARE(t.SumFA0_13, 3000000647);
        SumClaimField(t, "FB0", "05.0", "NR", "-12");
        QCOMPARE(t.SumFB0_05, -12);
        QCOMPARE(t.tooLarge, 0);
        SumClaimField(t, "FA0", "13.0", "N", "9223372036854775000");
        SumClaimField(t, "FB0", "06.0", "N", "99999999999999999999");
        QCOMPARE(t.tooLarge,
                 totalsBit(&ClaimTotals::SumFA0_13) | totalsBit(&ClaimTotals::SumFB0_06));
        const std::string xa0 = rec::xa0({1, 0, 0, 1, 0, 0, -1, 5, 0, 0, 7});
        const std::string_view line = xa0;
        t.CountC = t.CountF = 1;
        t.SumFB0_05 = 0;
        const TotalsVerdict verdict = CheckClaimTotals(t, ws->layouts->find("XA0"), &line);
        QCOMPARE(verdict.state, TotalsState::CouldNotCheck);
        QCOMPARE(verdict.tooLarge.size(), std::size_t(2)); // 12.0 and 15.0
        QCOMPARE(verdict.tooLarge[0].stated, std::string("0000005"));
        QVERIFY(verdict.mismatched().empty());
    }

    void claimWithoutTrailerIsNotJudgedByAnEarlierOne() {
        rec::Totals wrong{1, 0, 0, 1, 0, 0, -1, 999};
        openClaims({{rec::ca0("FIRST"), rec::fa0(1, 5), rec::xa0(wrong)},
                    {rec::ca0("SECOND"), rec::fa0(1, 7)},
                    {rec::ca0("THIRD"), rec::xa0({1})}});
        QVERIFY(!clickClaim(1).totals.ok());
        // The second claim has no XA0: the first claim's is not compared with it.
        AssembledClaim r = clickClaim(2);
        QCOMPARE(r.totals.state, TotalsState::NoTrailer);
        QVERIFY(r.totals.ok());
        QVERIFY(!r.totals.xa0Present);
        QVERIFY(r.totals.compared.empty());
        QCOMPARE(xa0Flags(r), QStringLiteral("no XA0"));
        QVERIFY(clickClaim(3).totals.ok());
    }

    void countsByFirstLetter() {
        ClaimTotals t;
        for (const char* type :
             {"CA0", "CZ9", "DA0", "EA2", "FB3", "GX2", "HA0", "XA0", "YA0", "c"})
            CountClaimLine(t, type);
        CountClaimLine(t, "");
        QCOMPARE(t.CountC, 2);
        QCOMPARE(t.CountD, 1);
        QCOMPARE(t.CountE, 1);
        QCOMPARE(t.CountF, 1);
        QCOMPARE(t.CountG, 1);
        QCOMPARE(t.CountH, 1);
    }

    void batchAndHeaderClicksCheckNothing() {
        openClaims({goodClaim()});
        clickClaim(1);
        const AssembledClaim r = NodeClick(*ws->file, 1);
        QVERIFY(!r.totals.checked());
        QCOMPARE(r.totals.state, TotalsState::NotAClaim);
        QVERIFY(r.totals.compared.empty());
    }

    // A number the map defines twice counts once, from its first definition:
    // a second XA0 12.0 (on 13.0's columns) is not compared, a second FA0 13.0
    // (on the line's 27.0 columns) adds nothing to 12.0's sum.
    void fieldNumberDefinedTwiceCountsOnce() {
        openClaims({goodClaim()});
        ws->write("nsf0301.map", TestWorkspace::testMap() + "XA0,12.0,AGAIN,7,N,85,91\n"
                                                            "FA0,13.0,AGAIN,7,N,126,132\n");
        QVERIFY(ws->open("t.nsf"));
        tree_ = &ws->buildTree();
        QCOMPARE(ws->layouts->warnings().size(), std::size_t(4));
        AssembledClaim r = clickClaim(1);
        QCOMPARE(r.totals.state, TotalsState::Ok);
        QCOMPARE(r.totals.compared.size(), std::size_t(15));
        QCOMPARE(computed(r, "12.0"), 3000);
    }

    // A map without the XA0 fields the check compares cannot pass a claim: it
    // says the totals could not be checked, unless what it can compare fails.
    // A claim without its own XA0 lacks it whatever the map.
    void mapWithoutTotalFieldsCannotCheck() {
        rec::Totals wrong{1, 2, 1, 3, 0, 1, -1, 3001, 40, 60, 2, 3, 4, 500, 1};
        openClaims({goodClaim(), goodClaim(wrong), {rec::ca0("NOXA0")}});
        std::string map = TestWorkspace::testMap();
        map.erase(map.find("XA0,20.0"),
                  map.find('\n', map.find("XA0,20.0")) + 1 - map.find("XA0,20.0"));
        ws->write("nsf0301.map", map);
        QVERIFY(ws->open("t.nsf"));
        tree_ = &ws->buildTree();
        QCOMPARE(clickClaim(1).totals.state, TotalsState::CouldNotCheck);
        QCOMPARE(clickClaim(2).totals.state, TotalsState::DoNotCompute);
        QCOMPARE(clickClaim(3).totals.state, TotalsState::NoTrailer);
        ws->write("nsf0301.map", "");
        QVERIFY(ws->open("t.nsf"));
        tree_ = &ws->buildTree();
        QCOMPARE(clickClaim(2).totals.state, TotalsState::CouldNotCheck);
        QCOMPARE(clickClaim(3).totals.state, TotalsState::NoTrailer);
    }
};

QTEST_GUILESS_MAIN(TotalsCheckTest)
#include "TotalsCheckTest.moc"
