#include "NsfGenerator.h"

#include "SampleText.h"

#include <algorithm>
#include <cinttypes>
#include <stdexcept>

namespace nsfgen {

namespace {

// clang-format off
// The fields the generator fills, each found in the map by record type and field number.
enum Key : int {
    AA0_ID, AA0_SUBMITTER, AA0_SUBMISSION_TYPE, AA0_SUBMISSION_NO, AA0_NAME, AA0_ADDRESS, AA0_CITY,
    AA0_STATE, AA0_ZIP, AA0_REGION, AA0_CONTACT, AA0_PHONE, AA0_CREATED, AA0_TIME, AA0_RECEIVER,
    AA0_RECEIVER_TYPE, AA0_VERSION, AA0_VERSION_LOCAL, AA0_TEST_PROD, AA0_SOFTWARE_VERSION,
    BA0_ID, BA0_PROVIDER, BA0_BATCH_TYPE, BA0_BATCH_NO, BA0_BATCH_ID, BA0_TAX_ID, BA0_TAX_TYPE,
    BA0_MEDICARE_NO, BA0_UPIN, BA0_ORGANIZATION, BA0_LAST, BA0_FIRST, BA0_MI, BA0_SPECIALTY,
    BA1_ID, BA1_PROVIDER, BA1_BATCH_TYPE, BA1_BATCH_NO, BA1_BATCH_ID, BA1_ORG_TYPE, BA1_SVC_ADDRESS,
    BA1_SVC_CITY, BA1_SVC_STATE, BA1_SVC_ZIP, BA1_SVC_PHONE, BA1_PAY_ADDRESS, BA1_PAY_CITY,
    BA1_PAY_STATE, BA1_PAY_ZIP, BA1_PAY_PHONE,
    CA0_ID, CA0_PCN, CA0_LAST, CA0_FIRST, CA0_MI, CA0_DOB, CA0_SEX, CA0_ADDRESS, CA0_CITY,
    CA0_STATE,
    CA0_ZIP, CA0_PHONE, CA0_MARITAL, CA0_EMPLOYMENT, CA0_OTHER_INSURANCE,
    CA1_ID, CA1_PCN, CA1_PURCHASE_ORDER, CA1_HEALTH_RECORD, CA1_FACILITY, CA1_MULTIPLE,
    DA0_ID, DA0_SEQ, DA0_PCN, DA0_FILING, DA0_SOURCE, DA0_PAYER_ORG, DA0_PAYER_NAME, DA0_GROUP_NO,
    DA0_GROUP_NAME, DA0_ASSIGN, DA0_SIGNATURE, DA0_RELATION, DA0_INSURED_ID, DA0_INSURED_LAST,
    DA0_INSURED_FIRST, DA0_INSURED_SEX, DA0_INSURED_DOB,
    DA1_ID, DA1_SEQ, DA1_PCN, DA1_ADDRESS, DA1_CITY, DA1_STATE, DA1_ZIP, DA1_DISALLOWED_CC,
    DA1_DISALLOWED_OTHER, DA1_ALLOWED, DA1_DEDUCTIBLE, DA1_COINSURANCE, DA1_PAID,
    DA2_ID, DA2_SEQ, DA2_PCN, DA2_ADDRESS, DA2_CITY, DA2_STATE, DA2_ZIP, DA2_PHONE, DA2_EMPLOYER,
    DA2_EMPLOYER_CITY, DA2_EMPLOYER_STATE, DA2_EMPLOYER_ZIP,
    EA0_ID, EA0_PCN, EA0_EMPLOYMENT, EA0_ACCIDENT, EA0_RELEASE, EA0_RELEASE_DATE, EA0_REF_LAST,
    EA0_REF_FIRST, EA0_DIAG1, EA0_DIAG2, EA0_DIAG3, EA0_DIAG4, EA0_ASSIGN, EA0_SIGNATURE,
    EA0_SIGNATURE_DATE,
    EA1_ID, EA1_PCN, EA1_FACILITY_ID, EA1_ADDRESS, EA1_CITY, EA1_STATE, EA1_ZIP, EA1_RECORD_NO,
    EA1_DIAG5,
    FA0_ID, FA0_SEQ, FA0_PCN, FA0_LINE_ID, FA0_FROM, FA0_TO, FA0_PLACE, FA0_SERVICE_TYPE, FA0_HCPCS,
    FA0_MODIFIER1, FA0_CHARGES, FA0_POINTER1, FA0_UNITS, FA0_RENDERING, FA0_DISALLOWED_CC,
    FA0_DISALLOWED_OTHER,
    FB0_ID, FB0_SEQ, FB0_PCN, FB0_LINE_ID, FB0_PURCHASED, FB0_ALLOWED, FB0_DEDUCTIBLE,
    FB0_COINSURANCE,
    GC0_ID, GC0_SEQ, GC0_PCN, GC0_INITIAL, GC0_XRAY_DATE, GC0_SUBLUXATION, GC0_NATURE, GC0_SYMPTOMS,
    GC0_XRAY,
    HA0_ID, HA0_SEQ, HA0_PCN, HA0_TEXT,
    XA0_ID, XA0_PCN, XA0_C, XA0_D, XA0_E, XA0_F, XA0_G, XA0_H, XA0_RECORDS, XA0_CHARGES,
    XA0_DISALLOWED_CC,
    XA0_DISALLOWED_OTHER, XA0_ALLOWED, XA0_DEDUCTIBLE, XA0_COINSURANCE, XA0_PAYER_PAID,
    XA0_PATIENT_PAID,
    XA0_PURCHASED,
    YA0_ID, YA0_PROVIDER, YA0_BATCH_TYPE, YA0_BATCH_NO, YA0_BATCH_ID, YA0_TAX_ID, YA0_LINES,
    YA0_RECORDS, YA0_CLAIMS, YA0_CHARGES,
    ZA0_ID, ZA0_SUBMITTER, ZA0_RECEIVER, ZA0_LINES, ZA0_RECORDS, ZA0_CLAIMS, ZA0_BATCHES,
    ZA0_CHARGES,
    kKeyCount
};

struct KeyDef {
    Key key;
    const char* type;
    const char* id;    // version 3.01
    const char* id200; // version 2.00 where it differs; "" where 2.00 has no such field
};

// Version 2.00 numbers the EA0 fields after the referring provider two lower.
constexpr KeyDef kKeys[] = {
    {AA0_ID, "AA0", "01.0", nullptr}, {AA0_SUBMITTER, "AA0", "02.0", nullptr},
    {AA0_SUBMISSION_TYPE, "AA0", "04.0", nullptr}, {AA0_SUBMISSION_NO, "AA0", "05.0", nullptr},
    {AA0_NAME, "AA0", "06.0", nullptr}, {AA0_ADDRESS, "AA0", "07.0", nullptr},
    {AA0_CITY, "AA0", "09.0", nullptr}, {AA0_STATE, "AA0", "10.0", nullptr},
    {AA0_ZIP, "AA0", "11.0", nullptr}, {AA0_REGION, "AA0", "12.0", nullptr},
    {AA0_CONTACT, "AA0", "13.0", nullptr}, {AA0_PHONE, "AA0", "14.0", nullptr},
    {AA0_CREATED, "AA0", "15.0", nullptr}, {AA0_TIME, "AA0", "16.0", nullptr},
    {AA0_RECEIVER, "AA0", "17.0", nullptr}, {AA0_RECEIVER_TYPE, "AA0", "18.0", nullptr},
    {AA0_VERSION, "AA0", "19.0", nullptr}, {AA0_VERSION_LOCAL, "AA0", "20.0", nullptr},
    {AA0_TEST_PROD, "AA0", "21.0", nullptr}, {AA0_SOFTWARE_VERSION, "AA0", "26.0", nullptr},
    {BA0_ID, "BA0", "01.0", nullptr}, {BA0_PROVIDER, "BA0", "02.0", nullptr},
    {BA0_BATCH_TYPE, "BA0", "03.0", nullptr}, {BA0_BATCH_NO, "BA0", "04.0", nullptr},
    {BA0_BATCH_ID, "BA0", "05.0", nullptr}, {BA0_TAX_ID, "BA0", "06.0", nullptr},
    {BA0_TAX_TYPE, "BA0", "08.0", nullptr}, {BA0_MEDICARE_NO, "BA0", "09.0", nullptr},
    {BA0_UPIN, "BA0", "10.0", nullptr}, {BA0_ORGANIZATION, "BA0", "18.0", nullptr},
    {BA0_LAST, "BA0", "19.0", nullptr}, {BA0_FIRST, "BA0", "20.0", nullptr},
    {BA0_MI, "BA0", "21.0", nullptr}, {BA0_SPECIALTY, "BA0", "22.0", nullptr},
    {BA1_ID, "BA1", "01.0", nullptr}, {BA1_PROVIDER, "BA1", "02.0", nullptr},
    {BA1_BATCH_TYPE, "BA1", "03.0", nullptr}, {BA1_BATCH_NO, "BA1", "04.0", nullptr},
    {BA1_BATCH_ID, "BA1", "05.0", nullptr}, {BA1_ORG_TYPE, "BA1", "06.0", nullptr},
    {BA1_SVC_ADDRESS, "BA1", "07.0", nullptr}, {BA1_SVC_CITY, "BA1", "09.0", nullptr},
    {BA1_SVC_STATE, "BA1", "10.0", nullptr}, {BA1_SVC_ZIP, "BA1", "11.0", nullptr},
    {BA1_SVC_PHONE, "BA1", "12.0", nullptr}, {BA1_PAY_ADDRESS, "BA1", "13.0", nullptr},
    {BA1_PAY_CITY, "BA1", "15.0", nullptr}, {BA1_PAY_STATE, "BA1", "16.0", nullptr},
    {BA1_PAY_ZIP, "BA1", "17.0", nullptr}, {BA1_PAY_PHONE, "BA1", "18.0", nullptr},
    {CA0_ID, "CA0", "01.0", nullptr}, {CA0_PCN, "CA0", "03.0", nullptr},
    {CA0_LAST, "CA0", "04.0", nullptr}, {CA0_FIRST, "CA0", "05.0", nullptr},
    {CA0_MI, "CA0", "06.0", nullptr}, {CA0_DOB, "CA0", "08.0", nullptr},
    {CA0_SEX, "CA0", "09.0", nullptr}, {CA0_ADDRESS, "CA0", "11.0", nullptr},
    {CA0_CITY, "CA0", "13.0", nullptr}, {CA0_STATE, "CA0", "14.0", nullptr},
    {CA0_ZIP, "CA0", "15.0", nullptr}, {CA0_PHONE, "CA0", "16.0", nullptr},
    {CA0_MARITAL, "CA0", "17.0", nullptr}, {CA0_EMPLOYMENT, "CA0", "19.0", nullptr},
    {CA0_OTHER_INSURANCE, "CA0", "22.0", nullptr},
    {CA1_ID, "CA1", "01.0", nullptr}, {CA1_PCN, "CA1", "03.0", nullptr},
    {CA1_PURCHASE_ORDER, "CA1", "04.0", nullptr}, {CA1_HEALTH_RECORD, "CA1", "07.0", nullptr},
    {CA1_FACILITY, "CA1", "08.0", nullptr}, {CA1_MULTIPLE, "CA1", "09.0", nullptr},
    {DA0_ID, "DA0", "01.0", nullptr}, {DA0_SEQ, "DA0", "02.0", nullptr},
    {DA0_PCN, "DA0", "03.0", nullptr}, {DA0_FILING, "DA0", "04.0", nullptr},
    {DA0_SOURCE, "DA0", "05.0", nullptr}, {DA0_PAYER_ORG, "DA0", "07.0", nullptr},
    {DA0_PAYER_NAME, "DA0", "09.0", nullptr}, {DA0_GROUP_NO, "DA0", "10.0", nullptr},
    {DA0_GROUP_NAME, "DA0", "11.0", nullptr}, {DA0_ASSIGN, "DA0", "15.0", nullptr},
    {DA0_SIGNATURE, "DA0", "16.0", nullptr}, {DA0_RELATION, "DA0", "17.0", nullptr},
    {DA0_INSURED_ID, "DA0", "18.0", nullptr}, {DA0_INSURED_LAST, "DA0", "19.0", nullptr},
    {DA0_INSURED_FIRST, "DA0", "20.0", nullptr}, {DA0_INSURED_SEX, "DA0", "23.0", nullptr},
    {DA0_INSURED_DOB, "DA0", "24.0", nullptr},
    {DA1_ID, "DA1", "01.0", nullptr}, {DA1_SEQ, "DA1", "02.0", nullptr},
    {DA1_PCN, "DA1", "03.0", nullptr}, {DA1_ADDRESS, "DA1", "04.0", nullptr},
    {DA1_CITY, "DA1", "06.0", nullptr}, {DA1_STATE, "DA1", "07.0", nullptr},
    {DA1_ZIP, "DA1", "08.0", nullptr}, {DA1_DISALLOWED_CC, "DA1", "09.0", nullptr},
    {DA1_DISALLOWED_OTHER, "DA1", "10.0", nullptr}, {DA1_ALLOWED, "DA1", "11.0", nullptr},
    {DA1_DEDUCTIBLE, "DA1", "12.0", nullptr}, {DA1_COINSURANCE, "DA1", "13.0", nullptr},
    {DA1_PAID, "DA1", "14.0", nullptr},
    {DA2_ID, "DA2", "01.0", nullptr}, {DA2_SEQ, "DA2", "02.0", nullptr},
    {DA2_PCN, "DA2", "03.0", nullptr}, {DA2_ADDRESS, "DA2", "04.0", nullptr},
    {DA2_CITY, "DA2", "06.0", nullptr}, {DA2_STATE, "DA2", "07.0", nullptr},
    {DA2_ZIP, "DA2", "08.0", nullptr}, {DA2_PHONE, "DA2", "09.0", nullptr},
    {DA2_EMPLOYER, "DA2", "12.0", nullptr}, {DA2_EMPLOYER_CITY, "DA2", "15.0", nullptr},
    {DA2_EMPLOYER_STATE, "DA2", "16.0", nullptr}, {DA2_EMPLOYER_ZIP, "DA2", "17.0", nullptr},
    {EA0_ID, "EA0", "01.0", nullptr}, {EA0_PCN, "EA0", "03.0", nullptr},
    {EA0_EMPLOYMENT, "EA0", "04.0", nullptr}, {EA0_ACCIDENT, "EA0", "05.0", nullptr},
    {EA0_RELEASE, "EA0", "13.0", nullptr}, {EA0_RELEASE_DATE, "EA0", "14.0", nullptr},
    {EA0_REF_LAST, "EA0", "24.0", "22.0"}, {EA0_REF_FIRST, "EA0", "25.0", "23.0"},
    {EA0_DIAG1, "EA0", "32.0", "30.0"}, {EA0_DIAG2, "EA0", "33.0", "31.0"},
    {EA0_DIAG3, "EA0", "34.0", "32.0"}, {EA0_DIAG4, "EA0", "35.0", "33.0"},
    {EA0_ASSIGN, "EA0", "36.0", "34.0"}, {EA0_SIGNATURE, "EA0", "37.0", "35.0"},
    {EA0_SIGNATURE_DATE, "EA0", "38.0", "36.0"},
    {EA1_ID, "EA1", "01.0", ""}, {EA1_PCN, "EA1", "03.0", ""},
    {EA1_FACILITY_ID, "EA1", "04.0", ""}, {EA1_ADDRESS, "EA1", "06.0", ""},
    {EA1_CITY, "EA1", "08.0", ""}, {EA1_STATE, "EA1", "09.0", ""},
    {EA1_ZIP, "EA1", "10.0", ""}, {EA1_RECORD_NO, "EA1", "11.0", ""},
    {EA1_DIAG5, "EA1", "26.0", ""},
    {FA0_ID, "FA0", "01.0", nullptr}, {FA0_SEQ, "FA0", "02.0", nullptr},
    {FA0_PCN, "FA0", "03.0", nullptr}, {FA0_LINE_ID, "FA0", "04.0", nullptr},
    {FA0_FROM, "FA0", "05.0", nullptr}, {FA0_TO, "FA0", "06.0", nullptr},
    {FA0_PLACE, "FA0", "07.0", nullptr}, {FA0_SERVICE_TYPE, "FA0", "08.0", nullptr},
    {FA0_HCPCS, "FA0", "09.0", nullptr}, {FA0_MODIFIER1, "FA0", "10.0", nullptr},
    {FA0_CHARGES, "FA0", "13.0", nullptr}, {FA0_POINTER1, "FA0", "14.0", nullptr},
    {FA0_UNITS, "FA0", "18.0", nullptr}, {FA0_RENDERING, "FA0", "23.0", nullptr},
    {FA0_DISALLOWED_CC, "FA0", "27.0", nullptr}, {FA0_DISALLOWED_OTHER, "FA0", "28.0", nullptr},
    {FB0_ID, "FB0", "01.0", nullptr}, {FB0_SEQ, "FB0", "02.0", nullptr},
    {FB0_PCN, "FB0", "03.0", nullptr}, {FB0_LINE_ID, "FB0", "04.0", nullptr},
    {FB0_PURCHASED, "FB0", "05.0", nullptr}, {FB0_ALLOWED, "FB0", "06.0", nullptr},
    {FB0_DEDUCTIBLE, "FB0", "07.0", nullptr}, {FB0_COINSURANCE, "FB0", "08.0", nullptr},
    {GC0_ID, "GC0", "01.0", nullptr}, {GC0_SEQ, "GC0", "02.0", nullptr},
    {GC0_PCN, "GC0", "03.0", nullptr}, {GC0_INITIAL, "GC0", "05.0", nullptr},
    {GC0_XRAY_DATE, "GC0", "06.0", nullptr}, {GC0_SUBLUXATION, "GC0", "08.0", nullptr},
    {GC0_NATURE, "GC0", "11.0", nullptr}, {GC0_SYMPTOMS, "GC0", "14.0", nullptr},
    {GC0_XRAY, "GC0", "15.0", nullptr},
    {HA0_ID, "HA0", "01.0", nullptr}, {HA0_SEQ, "HA0", "02.0", nullptr},
    {HA0_PCN, "HA0", "03.0", nullptr}, {HA0_TEXT, "HA0", "05.0", nullptr},
    {XA0_ID, "XA0", "01.0", nullptr}, {XA0_PCN, "XA0", "03.0", nullptr},
    {XA0_C, "XA0", "04.0", nullptr}, {XA0_D, "XA0", "05.0", nullptr},
    {XA0_E, "XA0", "06.0", nullptr}, {XA0_F, "XA0", "07.0", nullptr},
    {XA0_G, "XA0", "08.0", nullptr}, {XA0_H, "XA0", "09.0", nullptr},
    {XA0_RECORDS, "XA0", "10.0", nullptr}, {XA0_CHARGES, "XA0", "12.0", nullptr},
    {XA0_DISALLOWED_CC, "XA0", "13.0", nullptr}, {XA0_DISALLOWED_OTHER, "XA0", "14.0", nullptr},
    {XA0_ALLOWED, "XA0", "15.0", nullptr}, {XA0_DEDUCTIBLE, "XA0", "16.0", nullptr},
    {XA0_COINSURANCE, "XA0", "17.0", nullptr}, {XA0_PAYER_PAID, "XA0", "18.0", nullptr},
    {XA0_PATIENT_PAID, "XA0", "19.0", nullptr}, {XA0_PURCHASED, "XA0", "20.0", nullptr},
    {YA0_ID, "YA0", "01.0", nullptr}, {YA0_PROVIDER, "YA0", "02.0", nullptr},
    {YA0_BATCH_TYPE, "YA0", "03.0", nullptr}, {YA0_BATCH_NO, "YA0", "04.0", nullptr},
    {YA0_BATCH_ID, "YA0", "05.0", nullptr}, {YA0_TAX_ID, "YA0", "06.0", nullptr},
    {YA0_LINES, "YA0", "08.0", nullptr}, {YA0_RECORDS, "YA0", "09.0", nullptr},
    {YA0_CLAIMS, "YA0", "10.0", nullptr}, {YA0_CHARGES, "YA0", "11.0", nullptr},
    {ZA0_ID, "ZA0", "01.0", nullptr}, {ZA0_SUBMITTER, "ZA0", "02.0", nullptr},
    {ZA0_RECEIVER, "ZA0", "04.0", nullptr}, {ZA0_LINES, "ZA0", "05.0", nullptr},
    {ZA0_RECORDS, "ZA0", "06.0", nullptr}, {ZA0_CLAIMS, "ZA0", "07.0", nullptr},
    {ZA0_BATCHES, "ZA0", "08.0", nullptr}, {ZA0_CHARGES, "ZA0", "09.0", nullptr},
};
// clang-format on
static_assert(sizeof(kKeys) / sizeof(kKeys[0]) == kKeyCount, "one map field per key");

constexpr const char* kSubmitterId = "QMSUBMITTER0001";
constexpr const char* kReceiverId = "RECEIVER00042";
constexpr std::int64_t kClaimsPerSizedBatch = 250;
// A claim of the random mix averages about 8.5 lines of 322 bytes.
constexpr std::uint64_t kAverageClaimBytes = 2750;
constexpr std::uint64_t kLineBytes = qm::kRecordLength + 2;

std::string digits(std::uint64_t value, int width) {
    std::string s(static_cast<std::size_t>(width), '0');
    for (int i = width - 1; i >= 0 && value > 0; --i, value /= 10)
        s[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    return s;
}

} // namespace

NsfGenerator::NsfGenerator(const qm::LayoutCatalogue& catalogue, const GeneratorOptions& options,
                           LineBuffer& out, std::FILE* summary)
    : options_(options)
    , out_(out)
    , summary_(summary)
    , rng_(options.seed)
    , v301_(options.version == "00301") {
    const FieldPlacer placer(catalogue);
    refs_.resize(kKeyCount);
    for (int k = 0; k < kKeyCount; ++k) {
        const KeyDef& def = kKeys[k];
        if (def.key != k)
            throw std::logic_error("field key table out of order");
        const char* id = !v301_ && def.id200 ? def.id200 : def.id;
        if (*id != '\0')
            refs_[static_cast<std::size_t>(k)] = placer.require(def.type, id);
    }
}

void NsfGenerator::num(int key, std::uint64_t value) {
    if (!FieldPlacer::number(line_, refs_[static_cast<std::size_t>(key)], value))
        ++overflows_;
}

void NsfGenerator::begin(int idKey, const char* recordType) {
    line_ = out_.newRecord();
    put(idKey, recordType);
    if (inClaim_ && recordType[0] >= 'C' && recordType[0] <= 'H')
        ++claimCounts_[static_cast<std::size_t>(recordType[0] - 'C')];
}

std::string NsfGenerator::phone(const char* areaCode) {
    return std::string(areaCode) +
           digits(static_cast<std::uint64_t>(rng_.between(2000000, 9899999)), 7);
}

std::vector<NsfGenerator::BatchPlan> NsfGenerator::readableRecipe() {
    // Two batches of three claims. Batch 1 has a BA1 and an individual
    // provider, batch 2 neither. Claim 2 states charges one cent too high,
    // claim 5 has no XA0 and so ends at the CA0 of claim 6.
    auto claim = [](int payers, bool ca1, bool da2, bool ea1, std::vector<bool> fb0, bool gc0,
                    bool ha0, Trailer trailer) {
        ClaimPlan p;
        p.payers = payers;
        p.ca1 = ca1;
        p.da2 = {da2, false, false};
        p.ea1 = ea1;
        p.fb0 = std::move(fb0);
        p.gc0 = gc0;
        p.ha0 = ha0;
        p.trailer = trailer;
        return p;
    };
    BatchPlan first;
    first.ba1 = true;
    first.claims = {
        claim(1, false, true, true, {true, false, true}, false, false, Trailer::Correct),
        claim(2, false, true, false, {true, true}, false, true, Trailer::WrongCharges),
        claim(1, true, false, false, {false}, true, false, Trailer::Correct)};
    BatchPlan second;
    second.organization = true;
    second.claims = {
        claim(1, false, false, true, {false, true, false, true}, false, false, Trailer::Correct),
        claim(1, false, true, false, {true, true}, false, false, Trailer::Missing),
        claim(1, true, false, true, {true}, false, true, Trailer::Correct)};
    return {first, second};
}

NsfGenerator::ClaimPlan NsfGenerator::randomClaim() {
    ClaimPlan p;
    if (options_.bareClaims) {
        p.bare = true;
        return p;
    }
    const int r = static_cast<int>(rng_.between(0, 99));
    p.payers = r < 88 ? 1 : r < 98 ? 2 : 3;
    p.ca1 = rng_.percent(8);
    for (int i = 0; i < p.payers; ++i)
        p.da2[static_cast<std::size_t>(i)] = rng_.percent(20);
    p.ea1 = rng_.percent(20);
    const int l = static_cast<int>(rng_.between(0, 99));
    const int lines = l < 55 ? 1 : l < 80 ? 2 : l < 90 ? 3 : static_cast<int>(rng_.between(4, 6));
    for (int i = 0; i < lines; ++i)
        p.fb0.push_back(rng_.percent(40));
    p.gc0 = rng_.percent(2);
    p.ha0 = rng_.percent(5);
    return p;
}

bool NsfGenerator::listed(const std::vector<std::int64_t>& numbers, std::int64_t number) {
    return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

void NsfGenerator::applyClaimOptions(ClaimPlan& plan, std::int64_t claimNumber) const {
    if (listed(options_.wrongTotals, claimNumber))
        plan.trailer = Trailer::WrongCharges;
    if (listed(options_.missingXa0, claimNumber))
        plan.trailer = Trailer::Missing;
}

void NsfGenerator::shortLineAfterClaim() {
    // A record broken off early: its type and blanks, too short to be one.
    if (listed(options_.shortLines, claimNumber_))
        out_.rawLine("FA0" + std::string(97, ' '));
}

void NsfGenerator::run() {
    fileCreated_ = FieldPlacer::daysFromCivil(2004, 2, 2) + rng_.between(0, 90);
    writeFileHeader();
    if (options_.readable) {
        for (const BatchPlan& batch : readableRecipe())
            writeBatch(batch);
    } else if (options_.sizeBytes > 0) {
        std::int64_t perBatch = kClaimsPerSizedBatch;
        if (options_.batches > 0) {
            const auto estimate = static_cast<std::int64_t>(
                options_.sizeBytes / (options_.bareClaims ? kLineBytes : kAverageClaimBytes));
            perBatch = std::max<std::int64_t>(1, estimate / options_.batches);
        }
        // Stop starting claims once the trailers would reach the target.
        const std::uint64_t last =
            options_.sizeBytes > 2 * kLineBytes ? options_.sizeBytes - 2 * kLineBytes : 0;
        while (out_.nextPosition() - 1 < last) {
            BatchPlan batch;
            batch.ba1 = rng_.percent(50);
            batch.organization = rng_.percent(40);
            beginBatch(batch);
            // The last of the batches asked for takes whatever the estimate missed.
            const bool lastBatch = options_.batches > 0 && batchNumber_ >= options_.batches;
            for (std::int64_t c = 0; (lastBatch || c < perBatch) && out_.nextPosition() - 1 < last;
                 ++c) {
                ClaimPlan plan = randomClaim();
                applyClaimOptions(plan, claimNumber_ + 1);
                writeClaim(plan);
            }
            endBatch();
        }
    } else {
        const std::int64_t claims = options_.claims > 0 ? options_.claims : 10;
        const std::int64_t batches = std::min(claims, options_.batches > 0 ? options_.batches : 1);
        for (std::int64_t b = 0; b < batches; ++b) {
            BatchPlan batch;
            batch.ba1 = rng_.percent(50);
            batch.organization = rng_.percent(40);
            const std::int64_t count = claims / batches + (b < claims % batches ? 1 : 0);
            beginBatch(batch);
            for (std::int64_t c = 0; c < count; ++c) {
                ClaimPlan plan = randomClaim();
                applyClaimOptions(plan, claimNumber_ + 1);
                writeClaim(plan);
            }
            endBatch();
        }
    }
    writeFileTrailer();
}

void NsfGenerator::writeBatch(const BatchPlan& batch) {
    beginBatch(batch);
    for (ClaimPlan plan : batch.claims) {
        applyClaimOptions(plan, claimNumber_ + 1);
        writeClaim(plan);
    }
    endBatch();
}

void NsfGenerator::writeFileHeader() {
    const text::Place& place = rng_.pick(text::kPlaces);
    begin(AA0_ID, "AA0");
    put(AA0_SUBMITTER, kSubmitterId);
    put(AA0_SUBMISSION_TYPE, "CLAIMS");
    put(AA0_SUBMISSION_NO, digits(static_cast<std::uint64_t>(rng_.between(1, 999)), 6));
    put(AA0_NAME, "QUILLMARK SAMPLE BILLING SERVICE");
    put(AA0_ADDRESS, rng_.pick(text::kStreets));
    put(AA0_CITY, place.city);
    put(AA0_STATE, place.state);
    put(AA0_ZIP, place.zip);
    put(AA0_REGION, "00001");
    // One draw per statement: the order of operands is unspecified, the samples' bytes are not.
    const std::string contactFirst = rng_.pick(text::kFirstNames);
    const std::string contactLast = rng_.pick(text::kLastNames);
    put(AA0_CONTACT, contactFirst + " " + contactLast);
    put(AA0_PHONE, phone(place.areaCode));
    date(AA0_CREATED, fileCreated_);
    const std::int64_t hour = rng_.between(7, 18);
    const std::int64_t minute = rng_.between(0, 59);
    put(AA0_TIME, digits(static_cast<std::uint64_t>(hour * 10000 + minute * 100), 6));
    put(AA0_RECEIVER, kReceiverId);
    put(AA0_RECEIVER_TYPE, "C");
    put(AA0_VERSION, options_.version);
    put(AA0_VERSION_LOCAL, options_.version);
    put(AA0_TEST_PROD, "TEST");
    put(AA0_SOFTWARE_VERSION, "01003");
}

void NsfGenerator::beginBatch(const BatchPlan& batch) {
    ++batchNumber_;
    batchTally_ = Tally{};
    const std::uint64_t position = out_.nextPosition();
    const auto batchNo = static_cast<std::uint64_t>((batchNumber_ - 1) % 9999 + 1);
    providerId_ = "QMP" + digits(static_cast<std::uint64_t>(rng_.between(1, 999999999)), 9);
    taxId_ = digits(static_cast<std::uint64_t>(rng_.between(100000000, 999999999)), 9);
    batchId_ = "B" + digits(static_cast<std::uint64_t>(batchNumber_ % 100000), 5);
    providerPlace_ = static_cast<int>(rng_.between(0, std::size(text::kPlaces) - 1));

    begin(BA0_ID, "BA0");
    put(BA0_PROVIDER, providerId_);
    put(BA0_BATCH_TYPE, "100");
    num(BA0_BATCH_NO, batchNo);
    put(BA0_BATCH_ID, batchId_);
    put(BA0_TAX_ID, taxId_);
    put(BA0_TAX_TYPE, "E");
    put(BA0_MEDICARE_NO, "M" + digits(static_cast<std::uint64_t>(rng_.between(1, 9999999)), 7));
    put(BA0_UPIN, "Q" + digits(static_cast<std::uint64_t>(rng_.between(1, 99999)), 5));
    put(BA0_ORGANIZATION, rng_.pick(text::kClinics));
    if (!batch.organization) {
        put(BA0_LAST, rng_.pick(text::kLastNames));
        put(BA0_FIRST, rng_.pick(text::kFirstNames));
        put(BA0_MI, rng_.pick(text::kInitials));
    }
    put(BA0_SPECIALTY, "001");

    if (batch.ba1) {
        const text::Place& place = text::kPlaces[providerPlace_];
        begin(BA1_ID, "BA1");
        put(BA1_PROVIDER, providerId_);
        put(BA1_BATCH_TYPE, "100");
        num(BA1_BATCH_NO, batchNo);
        put(BA1_BATCH_ID, batchId_);
        put(BA1_ORG_TYPE, "PHY");
        put(BA1_SVC_ADDRESS, rng_.pick(text::kStreets));
        put(BA1_SVC_CITY, place.city);
        put(BA1_SVC_STATE, place.state);
        put(BA1_SVC_ZIP, place.zip);
        put(BA1_SVC_PHONE, phone(place.areaCode));
        put(BA1_PAY_ADDRESS, "PO BOX " + std::to_string(rng_.between(100, 9999)));
        put(BA1_PAY_CITY, place.city);
        put(BA1_PAY_STATE, place.state);
        put(BA1_PAY_ZIP, place.zip);
        put(BA1_PAY_PHONE, phone(place.areaCode));
    }
    if (summary_)
        std::fprintf(summary_, "batch %" PRId64 ": BA0%" PRIu64 "%s\n", batchNumber_, position,
                     batch.ba1 ? " with BA1" : " without BA1");
}

void NsfGenerator::writeClaim(const ClaimPlan& plan) {
    ++claimNumber_;
    claimCounts_ = {};
    inClaim_ = true;
    const std::uint64_t position = out_.nextPosition();

    const std::string last = rng_.pick(text::kLastNames);
    const std::string first = rng_.pick(text::kFirstNames);
    const char* sex = rng_.percent(50) ? "F" : "M";
    const std::int64_t born = FieldPlacer::daysFromCivil(1925, 1, 1) + rng_.between(0, 75 * 365);
    const std::int64_t seen = FieldPlacer::daysFromCivil(2003, 1, 2) + rng_.between(0, 360);
    const text::Place& home = rng_.pick(text::kPlaces);
    const std::string pcn =
        std::string{last[0], first[0]} + digits(static_cast<std::uint64_t>(claimNumber_), 9);

    begin(CA0_ID, "CA0");
    put(CA0_PCN, pcn);
    put(CA0_LAST, last);
    put(CA0_FIRST, first);
    put(CA0_MI, rng_.pick(text::kInitials));
    date(CA0_DOB, born);
    put(CA0_SEX, sex);
    put(CA0_ADDRESS, rng_.pick(text::kStreets));
    put(CA0_CITY, home.city);
    put(CA0_STATE, home.state);
    put(CA0_ZIP, home.zip);
    put(CA0_PHONE, phone(home.areaCode));
    put(CA0_MARITAL, rng_.percent(50) ? "M" : "S");
    put(CA0_EMPLOYMENT, rng_.percent(60) ? "1" : "5");
    put(CA0_OTHER_INSURANCE, plan.payers > 1 ? "1" : "3");
    if (plan.bare) {
        inClaim_ = false;
        batchTally_.records += 1;
        batchTally_.claims += 1;
        if (summary_)
            std::fprintf(summary_, "  claim %" PRId64 ": CA0%" PRIu64 " %s, %s: CA0 only\n",
                         claimNumber_, position, last.c_str(), first.c_str());
        shortLineAfterClaim();
        return;
    }

    if (plan.ca1) {
        begin(CA1_ID, "CA1");
        put(CA1_PCN, pcn);
        put(CA1_PURCHASE_ORDER,
            "PO" + digits(static_cast<std::uint64_t>(rng_.between(1, 99999999)), 8));
        num(CA1_HEALTH_RECORD, static_cast<std::uint64_t>(rng_.between(1, 999999)));
        put(CA1_FACILITY, digits(static_cast<std::uint64_t>(rng_.between(1, 999999999)), 9));
        put(CA1_MULTIPLE, "N");
    }

    // Service lines are priced first: the payer records state what was paid.
    struct Line {
        const text::Procedure* procedure;
        std::uint64_t charge, allowed, deductible, coinsurance, purchased, disallowedCc,
            disallowedOther;
        std::int64_t day;
    };
    std::vector<Line> lines;
    std::uint64_t allowedAll = 0, deductibleAll = 0, coinsuranceAll = 0, disallowedCcAll = 0,
                  disallowedOtherAll = 0;
    for (std::size_t i = 0; i < plan.fb0.size(); ++i) {
        Line ln{};
        ln.procedure = &rng_.pick(text::kProcedures);
        ln.charge = static_cast<std::uint64_t>(ln.procedure->cents + rng_.between(-4, 4) * 50);
        ln.allowed = ln.charge * static_cast<std::uint64_t>(rng_.between(55, 90)) / 100;
        ln.deductible =
            (i == 0 && rng_.percent(15)) ? std::min<std::uint64_t>(ln.allowed, 10000) : 0;
        ln.coinsurance = (ln.allowed - ln.deductible) / 5;
        ln.purchased = (plan.fb0[i] && rng_.percent(10)) ? ln.charge / 2 : 0;
        ln.disallowedCc = (plan.fb0[i] && rng_.percent(50)) ? ln.charge - ln.allowed : 0;
        ln.disallowedOther = rng_.percent(5) ? 500 : 0;
        ln.day =
            seen + static_cast<std::int64_t>(i > 0 && rng_.percent(30) ? rng_.between(1, 14) : 0);
        allowedAll += ln.allowed;
        deductibleAll += ln.deductible;
        coinsuranceAll += ln.coinsurance;
        disallowedCcAll += ln.disallowedCc;
        disallowedOtherAll += ln.disallowedOther;
        lines.push_back(ln);
    }

    std::uint64_t payerPaid = 0;
    for (int payer = 1; payer <= plan.payers; ++payer) {
        const bool primary = payer == 1;
        const std::string payerName = rng_.pick(text::kPayers);
        const text::Place& payerPlace = rng_.pick(text::kPlaces);
        const bool self = !primary || rng_.percent(70);
        const std::string insuredLast = self ? last : std::string(rng_.pick(text::kLastNames));
        const std::string insuredFirst = self ? first : std::string(rng_.pick(text::kFirstNames));

        begin(DA0_ID, "DA0");
        num(DA0_SEQ, static_cast<std::uint64_t>(payer));
        put(DA0_PCN, pcn);
        put(DA0_FILING, primary ? "P" : "I");
        put(DA0_SOURCE, primary ? "C" : "F");
        put(DA0_PAYER_ORG, digits(static_cast<std::uint64_t>(rng_.between(1, 99999)), 5));
        put(DA0_PAYER_NAME, payerName);
        put(DA0_GROUP_NO, "GRP" + digits(static_cast<std::uint64_t>(rng_.between(1, 999999)), 6));
        put(DA0_GROUP_NAME, rng_.pick(text::kEmployers));
        put(DA0_ASSIGN, "Y");
        put(DA0_SIGNATURE, "C");
        num(DA0_RELATION, self ? 1 : 2);
        put(DA0_INSURED_ID,
            digits(static_cast<std::uint64_t>(rng_.between(1, 999999999)), 9) + "A");
        put(DA0_INSURED_LAST, insuredLast);
        put(DA0_INSURED_FIRST, insuredFirst);
        put(DA0_INSURED_SEX, self ? sex : (sex[0] == 'F' ? "M" : "F"));
        date(DA0_INSURED_DOB, self ? born : born - rng_.between(-3000, 3000));

        // The primary payer pays the allowed amount less deductible and
        // coinsurance; a second payer picks up the coinsurance.
        std::uint64_t paid = 0;
        begin(DA1_ID, "DA1");
        const bool wrongSequence = primary && listed(options_.wrongSequence, claimNumber_);
        num(DA1_SEQ, static_cast<std::uint64_t>(wrongSequence ? 2 : payer));
        put(DA1_PCN, pcn);
        put(DA1_ADDRESS, "PO BOX " + std::to_string(rng_.between(1000, 99999)));
        put(DA1_CITY, payerPlace.city);
        put(DA1_STATE, payerPlace.state);
        put(DA1_ZIP, payerPlace.zip);
        if (primary) {
            paid = allowedAll - deductibleAll - coinsuranceAll;
            num(DA1_DISALLOWED_CC, disallowedCcAll);
            num(DA1_DISALLOWED_OTHER, disallowedOtherAll);
            num(DA1_ALLOWED, allowedAll);
            num(DA1_DEDUCTIBLE, deductibleAll);
            num(DA1_COINSURANCE, coinsuranceAll);
        } else {
            paid = payer == 2 ? coinsuranceAll : 0;
            num(DA1_DISALLOWED_CC, 0);
            num(DA1_DISALLOWED_OTHER, 0);
            num(DA1_ALLOWED, paid);
            num(DA1_DEDUCTIBLE, 0);
            num(DA1_COINSURANCE, 0);
        }
        num(DA1_PAID, paid);
        payerPaid += paid;

        if (plan.da2[static_cast<std::size_t>(payer - 1)]) {
            const text::Place& place = self ? home : rng_.pick(text::kPlaces);
            begin(DA2_ID, "DA2");
            num(DA2_SEQ, static_cast<std::uint64_t>(payer));
            put(DA2_PCN, pcn);
            put(DA2_ADDRESS, rng_.pick(text::kStreets));
            put(DA2_CITY, place.city);
            put(DA2_STATE, place.state);
            put(DA2_ZIP, place.zip);
            put(DA2_PHONE, phone(place.areaCode));
            const text::Place& work = rng_.pick(text::kPlaces);
            put(DA2_EMPLOYER, rng_.pick(text::kEmployers));
            put(DA2_EMPLOYER_CITY, work.city);
            put(DA2_EMPLOYER_STATE, work.state);
            put(DA2_EMPLOYER_ZIP, work.zip);
        }
    }

    const bool referred = rng_.percent(30);
    begin(EA0_ID, "EA0");
    put(EA0_PCN, pcn);
    put(EA0_EMPLOYMENT, "N");
    put(EA0_ACCIDENT, "N");
    put(EA0_RELEASE, "Y");
    date(EA0_RELEASE_DATE, seen - rng_.between(0, 400));
    if (referred) {
        put(EA0_REF_LAST, rng_.pick(text::kLastNames));
        put(EA0_REF_FIRST, rng_.pick(text::kFirstNames));
    }
    const int diagnoses = static_cast<int>(rng_.between(1, 4));
    const int diagKeys[] = {EA0_DIAG1, EA0_DIAG2, EA0_DIAG3, EA0_DIAG4};
    for (int d = 0; d < diagnoses; ++d)
        put(diagKeys[d], rng_.pick(text::kDiagnoses));
    put(EA0_ASSIGN, "A");
    put(EA0_SIGNATURE, "Y");
    date(EA0_SIGNATURE_DATE, seen + rng_.between(1, 20));

    if (plan.ea1 && v301_) { // the 2.00 format has no EA1 record
        const text::Place& place = text::kPlaces[providerPlace_];
        begin(EA1_ID, "EA1");
        put(EA1_PCN, pcn);
        put(EA1_FACILITY_ID, digits(static_cast<std::uint64_t>(rng_.between(1, 9999999999)), 10));
        put(EA1_ADDRESS, rng_.pick(text::kStreets));
        put(EA1_CITY, place.city);
        put(EA1_STATE, place.state);
        put(EA1_ZIP, place.zip);
        put(EA1_RECORD_NO, "MR" + digits(static_cast<std::uint64_t>(rng_.between(1, 9999999)), 7));
        put(EA1_DIAG5, rng_.pick(text::kDiagnoses));
    }

    std::uint64_t charges = 0, purchased = 0, fbAllowed = 0, fbDeductible = 0, fbCoinsurance = 0,
                  faDisallowedCc = 0, faDisallowedOther = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& ln = lines[i];
        const std::string lineId = pcn + "L" + digits(i + 1, 2);
        // The faults of the integrity edits go to the claim's first line.
        auto fault = [&](const std::vector<std::int64_t>& claims) {
            return i == 0 && listed(claims, claimNumber_);
        };
        const std::int64_t day = fault(options_.lateService) ? fileCreated_ + 1 : ln.day;
        begin(FA0_ID, "FA0");
        num(FA0_SEQ, i + 1);
        put(FA0_PCN, fault(options_.wrongPcn) ? std::string{last[0], first[0]} +
                                                    digits(std::uint64_t(claimNumber_ + 1), 9)
                                              : pcn);
        put(FA0_LINE_ID, lineId);
        date(FA0_FROM, day);
        date(FA0_TO, day);
        if (fault(options_.badDate))
            put(FA0_TO, "2003 3 5");
        put(FA0_PLACE, fault(options_.unlistedCode) ? "13" : "11");
        put(FA0_SERVICE_TYPE, ln.procedure->typeOfService);
        put(FA0_HCPCS, ln.procedure->hcpcs);
        put(FA0_MODIFIER1, rng_.pick(text::kModifiers));
        num(FA0_CHARGES, ln.charge);
        put(FA0_POINTER1, std::to_string(rng_.between(1, diagnoses)));
        num(FA0_UNITS, 10); // one unit, one implied decimal
        put(FA0_RENDERING, providerId_);
        num(FA0_DISALLOWED_CC, ln.disallowedCc);
        num(FA0_DISALLOWED_OTHER, ln.disallowedOther);
        charges += ln.charge;
        faDisallowedCc += ln.disallowedCc;
        faDisallowedOther += ln.disallowedOther;

        if (plan.fb0[i]) {
            begin(FB0_ID, "FB0");
            num(FB0_SEQ, i + 1);
            put(FB0_PCN, pcn);
            put(FB0_LINE_ID, lineId);
            num(FB0_PURCHASED, ln.purchased);
            num(FB0_ALLOWED, ln.allowed);
            num(FB0_DEDUCTIBLE, ln.deductible);
            num(FB0_COINSURANCE, ln.coinsurance);
            purchased += ln.purchased;
            fbAllowed += ln.allowed;
            fbDeductible += ln.deductible;
            fbCoinsurance += ln.coinsurance;
        }
    }

    if (plan.gc0) {
        begin(GC0_ID, "GC0");
        num(GC0_SEQ, 1);
        put(GC0_PCN, pcn);
        date(GC0_INITIAL, seen - rng_.between(10, 200));
        date(GC0_XRAY_DATE, seen - rng_.between(5, 300));
        put(GC0_SUBLUXATION, rng_.percent(50) ? "L4" : "C5");
        put(GC0_NATURE, "A");
        put(GC0_SYMPTOMS, rng_.pick(text::kSymptoms));
        put(GC0_XRAY, "Y");
    }
    if (plan.ha0) {
        begin(HA0_ID, "HA0");
        num(HA0_SEQ, 1);
        put(HA0_PCN, pcn);
        put(HA0_TEXT, rng_.pick(text::kNarratives));
    }

    inClaim_ = false;
    std::uint64_t records = 0;
    for (std::uint64_t c : claimCounts_)
        records += c;
    if (plan.trailer != Trailer::Missing) {
        begin(XA0_ID, "XA0");
        put(XA0_PCN, pcn);
        const int countKeys[] = {XA0_C, XA0_D, XA0_E, XA0_F, XA0_G, XA0_H};
        for (std::size_t k = 0; k < claimCounts_.size(); ++k)
            num(countKeys[k], claimCounts_[k]);
        num(XA0_RECORDS, records);
        num(XA0_CHARGES, charges + (plan.trailer == Trailer::WrongCharges ? 1 : 0));
        num(XA0_DISALLOWED_CC, faDisallowedCc);
        num(XA0_DISALLOWED_OTHER, faDisallowedOther);
        num(XA0_ALLOWED, fbAllowed);
        num(XA0_DEDUCTIBLE, fbDeductible);
        num(XA0_COINSURANCE, fbCoinsurance);
        num(XA0_PAYER_PAID, payerPaid);
        num(XA0_PATIENT_PAID, 0);
        num(XA0_PURCHASED, purchased);
    }

    batchTally_.serviceLines += lines.size();
    batchTally_.records += records;
    batchTally_.claims += 1;
    batchTally_.charges += charges;

    if (summary_) {
        const char* note = plan.trailer == Trailer::WrongCharges
                               ? " XA0 12.0 one cent above the FA0 13.0 sum"
                           : plan.trailer == Trailer::Missing ? " no XA0"
                                                              : "";
        std::fprintf(summary_,
                     "  claim %" PRId64 ": CA0%" PRIu64
                     " %s, %s: %zu FA0, %zu FB0, %d payer(s)%s\n",
                     claimNumber_, position, last.c_str(), first.c_str(), lines.size(),
                     static_cast<std::size_t>(std::count(plan.fb0.begin(), plan.fb0.end(), true)),
                     plan.payers, note);
    }
    shortLineAfterClaim();
}

void NsfGenerator::endBatch() {
    Tally stated = batchTally_;
    if (listed(options_.wrongBatchCount, batchNumber_))
        ++stated.claims;
    if (listed(options_.wrongBatchTotal, batchNumber_))
        ++stated.charges;
    if (!listed(options_.missingYa0, batchNumber_)) {
        begin(YA0_ID, "YA0");
        put(YA0_PROVIDER, providerId_);
        put(YA0_BATCH_TYPE, "100");
        num(YA0_BATCH_NO, static_cast<std::uint64_t>((batchNumber_ - 1) % 9999 + 1));
        put(YA0_BATCH_ID, batchId_);
        put(YA0_TAX_ID, taxId_);
        num(YA0_LINES, stated.serviceLines);
        num(YA0_RECORDS, stated.records);
        num(YA0_CLAIMS, stated.claims);
        num(YA0_CHARGES, stated.charges);
    }
    addToFile();
    if (listed(options_.claimOutside, batchNumber_)) {
        // A claim between this batch's YA0 and the next BA0: it is the file's still.
        ClaimPlan plan = randomClaim();
        applyClaimOptions(plan, claimNumber_ + 1);
        writeClaim(plan);
        addToFile();
    }
}

void NsfGenerator::addToFile() {
    fileTally_.serviceLines += batchTally_.serviceLines;
    fileTally_.records += batchTally_.records;
    fileTally_.claims += batchTally_.claims;
    fileTally_.charges += batchTally_.charges;
    batchTally_ = Tally{};
}

void NsfGenerator::writeFileTrailer() {
    if (!options_.missingZa0) {
        begin(ZA0_ID, "ZA0");
        put(ZA0_SUBMITTER, kSubmitterId);
        put(ZA0_RECEIVER, kReceiverId);
        num(ZA0_LINES, fileTally_.serviceLines);
        num(ZA0_RECORDS, fileTally_.records);
        num(ZA0_CLAIMS, fileTally_.claims + (options_.wrongFileCount ? 1 : 0));
        num(ZA0_BATCHES, static_cast<std::uint64_t>(batchNumber_));
        num(ZA0_CHARGES, fileTally_.charges + (options_.wrongFileTotal ? 1 : 0));
    }
    if (options_.recordAfterZa0) {
        begin(DA0_ID, "DA0");
        num(DA0_SEQ, 1);
    }
    if (options_.cutLastLine) {
        // A claim broken off after its first 200 characters.
        begin(CA0_ID, "CA0");
        out_.cutLastRecord(200);
    }
}

} // namespace nsfgen
