#include "core/claim/TotalsCheck.h"

#include "core/common/TextUtil.h"
#include "core/layouts/RecordLayout.h"

#include <limits>

namespace qm {

namespace {

constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();

void addTo(std::int32_t& sum, std::int64_t value) {
    const std::int64_t result = std::int64_t(sum) + value;
    if (result >= kMin32 && result <= kMax32)
        sum = static_cast<std::int32_t>(result);
}

// The XA0 fields the check pairs with a count or sum.
const char* const kComparedFields[] = {"04.0", "05.0", "06.0", "07.0", "08.0",
                                       "09.0", "10.0", "12.0", "13.0", "14.0",
                                       "15.0", "16.0", "17.0", "18.0", "20.0"};

// The total an XA0 field restates, or nullopt for a field that is not compared.
std::optional<std::int64_t> expectedTotal(const ClaimTotals& t, std::string_view fieldId) {
    struct Pair {
        const char* id;
        std::int32_t ClaimTotals::*member;
    };
    static const Pair kPairs[] = {
        {"04.0", &ClaimTotals::CountC},    {"05.0", &ClaimTotals::CountD},
        {"06.0", &ClaimTotals::CountE},    {"07.0", &ClaimTotals::CountF},
        {"08.0", &ClaimTotals::CountG},    {"09.0", &ClaimTotals::CountH},
        {"12.0", &ClaimTotals::SumFA0_13}, {"13.0", &ClaimTotals::SumFA0_27},
        {"14.0", &ClaimTotals::SumFA0_28}, {"15.0", &ClaimTotals::SumFB0_06},
        {"16.0", &ClaimTotals::SumFB0_07}, {"17.0", &ClaimTotals::SumFB0_08},
        {"18.0", &ClaimTotals::SumDA1_14}, {"20.0", &ClaimTotals::SumFB0_05}};
    if (fieldId == "10.0")
        return std::int64_t(t.CountC) + t.CountD + t.CountE + t.CountF + t.CountG + t.CountH;
    for (const Pair& p : kPairs)
        if (fieldId == p.id)
            return t.*p.member;
    return std::nullopt;
}

} // namespace

void CountClaimLine(ClaimTotals& totals, std::string_view recordType) {
    if (recordType.empty())
        return;
    std::int32_t* counter = nullptr;
    switch (recordType[0]) {
    case 'C':
        counter = &totals.CountC;
        break;
    case 'D':
        counter = &totals.CountD;
        break;
    case 'E':
        counter = &totals.CountE;
        break;
    case 'F':
        counter = &totals.CountF;
        break;
    case 'G':
        counter = &totals.CountG;
        break;
    case 'H':
        counter = &totals.CountH;
        break;
    default:
        return;
    }
    addTo(*counter, 1);
}

void SumClaimField(ClaimTotals& totals, std::string_view recordType, std::string_view fieldId,
                   std::string_view typeCodes, std::string_view value) {
    if (typeCodes.find('N') == std::string_view::npos)
        return;
    const auto number = parseInteger(value, kMin32, kMax32);
    if (!number)
        return;
    std::int32_t* sum = nullptr;
    if (recordType == "DA1") {
        if (fieldId == "14.0")
            sum = &totals.SumDA1_14;
    } else if (recordType == "FA0") {
        if (fieldId == "13.0")
            sum = &totals.SumFA0_13;
        else if (fieldId == "27.0")
            sum = &totals.SumFA0_27;
        else if (fieldId == "28.0")
            sum = &totals.SumFA0_28;
    } else if (recordType == "FB0") {
        if (fieldId == "05.0")
            sum = &totals.SumFB0_05;
        else if (fieldId == "06.0")
            sum = &totals.SumFB0_06;
        else if (fieldId == "07.0")
            sum = &totals.SumFB0_07;
        else if (fieldId == "08.0")
            sum = &totals.SumFB0_08;
    }
    if (sum)
        addTo(*sum, *number);
}

void SumClaimRecord(ClaimTotals& totals, std::string_view recordType, const RecordLayout& layout,
                    std::string_view line) {
    // Only these types feed a sum; the rest need not be looked at field by field.
    if (recordType != "DA1" && recordType != "FA0" && recordType != "FB0")
        return;
    for (int i = 0; i < layout.fieldCount(); ++i) {
        const FieldDef& field = layout.field(i);
        SumClaimField(totals, recordType, field.FieldId, field.TypeCodes, layout.value(i, line));
    }
}

TotalsVerdict CheckClaimTotals(const ClaimTotals& totals, const RecordLayout* xa0Layout,
                               const std::string_view* xa0Line) {
    TotalsVerdict verdict;
    verdict.counted = totals;
    bool lacksFields = !xa0Layout;
    for (const char* id : kComparedFields)
        lacksFields = lacksFields || xa0Layout->indexOf(id) < 0;
    verdict.xa0Present = xa0Line != nullptr;
    if (!xa0Line) {
        verdict.state = lacksFields ? TotalsState::CouldNotCheck : TotalsState::NoTrailer;
        return verdict;
    }
    bool allMatch = true;
    for (int i = 0; i < xa0Layout->fieldCount(); ++i) {
        const FieldDef& field = xa0Layout->field(i);
        const std::string_view value = trimSpaces(xa0Layout->value(i, *xa0Line));
        if (value.empty())
            continue;
        const auto expected = expectedTotal(totals, field.FieldId);
        if (!expected)
            continue;
        const auto stated = parseInteger(value, kMin32, kMax32);
        TotalsComparison comparison;
        comparison.field = i;
        comparison.fieldId = field.FieldId;
        comparison.stated.assign(value);
        comparison.computed = *expected;
        comparison.match = stated && *stated == *expected;
        allMatch = allMatch && comparison.match;
        verdict.compared.push_back(std::move(comparison));
    }
    verdict.state = !allMatch     ? TotalsState::DoNotCompute
                    : lacksFields ? TotalsState::CouldNotCheck
                                  : TotalsState::Ok;
    return verdict;
}

} // namespace qm
