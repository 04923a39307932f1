#include "core/claim/TotalsCheck.h"

#include "core/common/TextUtil.h"
#include "core/layouts/RecordLayout.h"

#include <iterator>
#include <limits>

namespace qm {

namespace {

constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();

// Every member, in the order of their bits in ClaimTotals::tooLarge.
constexpr TotalsMember kMembers[] = {
    &ClaimTotals::CountC,    &ClaimTotals::CountD,    &ClaimTotals::CountE,
    &ClaimTotals::CountF,    &ClaimTotals::CountG,    &ClaimTotals::CountH,
    &ClaimTotals::SumFA0_13, &ClaimTotals::SumFA0_27, &ClaimTotals::SumFA0_28,
    &ClaimTotals::SumFB0_05, &ClaimTotals::SumFB0_06, &ClaimTotals::SumFB0_07,
    &ClaimTotals::SumFB0_08, &ClaimTotals::SumDA1_14};
static_assert(std::size(kMembers) <= 16, "a bit each in ClaimTotals::tooLarge");
constexpr std::uint16_t kCountBits = 0x3F; // CountC ... CountH

void addTo(ClaimTotals& totals, TotalsMember member, std::int64_t value) {
    std::int64_t& sum = totals.*member;
    if (__builtin_add_overflow(sum, value, &sum))
        totals.tooLarge |= totalsBit(member);
}

// A whole number with an optional sign, blanks around it aside.
bool isWholeNumber(std::string_view text) {
    text = trimSpaces(text);
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The XA0 fields the check pairs with a count or sum ("10.0": all counts).
struct Pair {
    const char* id;
    TotalsMember member;
};
const Pair kPairs[] = {{"04.0", &ClaimTotals::CountC},
                       {"05.0", &ClaimTotals::CountD},
                       {"06.0", &ClaimTotals::CountE},
                       {"07.0", &ClaimTotals::CountF},
                       {"08.0", &ClaimTotals::CountG},
                       {"09.0", &ClaimTotals::CountH},
                       {"10.0", nullptr},
                       {"12.0", &ClaimTotals::SumFA0_13},
                       {"13.0", &ClaimTotals::SumFA0_27},
                       {"14.0", &ClaimTotals::SumFA0_28},
                       {"15.0", &ClaimTotals::SumFB0_06},
                       {"16.0", &ClaimTotals::SumFB0_07},
                       {"17.0", &ClaimTotals::SumFB0_08},
                       {"18.0", &ClaimTotals::SumDA1_14},
                       {"20.0", &ClaimTotals::SumFB0_05}};

// The amounts summed from the claim's records, by record type and field.
struct Summed {
    const char* type;
    const char* id;
    TotalsMember member;
};
const Summed kSummed[] = {
    {"DA1", "14.0", &ClaimTotals::SumDA1_14}, {"FA0", "13.0", &ClaimTotals::SumFA0_13},
    {"FA0", "27.0", &ClaimTotals::SumFA0_27}, {"FA0", "28.0", &ClaimTotals::SumFA0_28},
    {"FB0", "05.0", &ClaimTotals::SumFB0_05}, {"FB0", "06.0", &ClaimTotals::SumFB0_06},
    {"FB0", "07.0", &ClaimTotals::SumFB0_07}, {"FB0", "08.0", &ClaimTotals::SumFB0_08}};

} // namespace

TotalsMember summedInto(std::string_view recordType, std::string_view fieldId) {
    for (const Summed& s : kSummed)
        if (recordType == s.type && fieldId == s.id)
            return s.member;
    return nullptr;
}

std::uint16_t totalsBit(TotalsMember member) {
    for (std::size_t i = 0; i < std::size(kMembers); ++i)
        if (kMembers[i] == member)
            return std::uint16_t(1u << i);
    return 0;
}

std::vector<std::string_view> comparedXa0Ids() {
    std::vector<std::string_view> ids;
    for (const Pair& p : kPairs)
        ids.emplace_back(p.id);
    return ids;
}

std::int64_t TotalsPairing::totalIn(const ClaimTotals& t) const {
    if (member)
        return t.*member;
    // Counts of lines: no file holds enough of them to leave 64 bits.
    return t.CountC + t.CountD + t.CountE + t.CountF + t.CountG + t.CountH;
}

std::vector<TotalsPairing> pairingsOf(const RecordLayout& xa0, bool* lacksFields) {
    std::vector<TotalsPairing> pairings;
    // A number the map defines twice is compared once, at its first definition.
    for (int i = 0; i < xa0.fieldCount(); ++i)
        for (const Pair& p : kPairs)
            if (xa0.field(i).FieldId == p.id && xa0.indexOf(p.id) == i)
                pairings.push_back({i, p.member, p.member ? totalsBit(p.member) : kCountBits});
    if (lacksFields) {
        *lacksFields = false;
        for (const Pair& p : kPairs)
            *lacksFields = *lacksFields || xa0.indexOf(p.id) < 0;
    }
    return pairings;
}

void CountClaimLine(ClaimTotals& totals, std::string_view recordType) {
    if (recordType.empty())
        return;
    switch (recordType[0]) {
    case 'C':
        ++totals.CountC;
        break;
    case 'D':
        ++totals.CountD;
        break;
    case 'E':
        ++totals.CountE;
        break;
    case 'F':
        ++totals.CountF;
        break;
    case 'G':
        ++totals.CountG;
        break;
    case 'H':
        ++totals.CountH;
        break;
    default:
        break;
    }
}

void addAmount(ClaimTotals& totals, TotalsMember member, bool numeric, std::string_view value) {
    if (!numeric)
        return;
    if (const auto number = parseInteger(value, kMin64, kMax64))
        addTo(totals, member, *number);
    else if (isWholeNumber(value))
        totals.tooLarge |= totalsBit(member);
}

void SumClaimField(ClaimTotals& totals, std::string_view recordType, std::string_view fieldId,
                   std::string_view typeCodes, std::string_view value) {
    if (const TotalsMember member = summedInto(recordType, fieldId))
        addAmount(totals, member, typeCodes.find('N') != std::string_view::npos, value);
}

TotalsVerdict compareTotals(const ClaimTotals& totals, const RecordLayout& xa0Layout,
                            const std::vector<TotalsPairing>& pairings, bool lacksFields,
                            const std::string_view* xa0Line, bool keepMatches) {
    TotalsVerdict verdict;
    verdict.counted = totals;
    verdict.xa0Present = xa0Line != nullptr;
    verdict.lacksFields = lacksFields;
    // A claim without its own XA0 lacks it whatever the map holds.
    if (!xa0Line) {
        verdict.state = TotalsState::NoTrailer;
        return verdict;
    }
    verdict.xa0Length = std::int64_t(xa0Line->size());
    bool allMatch = true;
    for (const TotalsPairing& pairing : pairings) {
        if (!xa0Layout.fitsIn(pairing.field, xa0Line->size())) {
            verdict.uncut.push_back(pairing.field);
            continue;
        }
        const std::string_view stored = xa0Layout.value(pairing.field, *xa0Line);
        const std::string_view value = trimSpaces(stored);
        if (value.empty())
            continue;
        // A sum that could not be added up is no figure to compare with.
        if (totals.tooLarge & pairing.bits) {
            verdict.tooLarge.push_back({pairing.field, std::string(stored)});
            continue;
        }
        const auto stated = parseInteger(value, kMin64, kMax64);
        const std::int64_t computed = pairing.totalIn(totals);
        const bool match = stated && *stated == computed;
        allMatch = allMatch && match;
        if (match && !keepMatches)
            continue;
        TotalsComparison comparison;
        comparison.field = pairing.field;
        comparison.fieldId = xa0Layout.field(pairing.field).FieldId;
        comparison.stated.assign(stored);
        comparison.computed = computed;
        comparison.match = match;
        verdict.compared.push_back(std::move(comparison));
    }
    const bool uncompared = !verdict.uncut.empty() || !verdict.tooLarge.empty();
    verdict.state = !allMatch                   ? TotalsState::DoNotCompute
                    : lacksFields || uncompared ? TotalsState::CouldNotCheck
                                                : TotalsState::Ok;
    return verdict;
}

TotalsVerdict CheckClaimTotals(const ClaimTotals& totals, const RecordLayout* xa0Layout,
                               const std::string_view* xa0Line) {
    if (!xa0Layout) {
        TotalsVerdict verdict;
        verdict.counted = totals;
        verdict.xa0Present = xa0Line != nullptr;
        verdict.lacksFields = true;
        verdict.state = xa0Line ? TotalsState::CouldNotCheck : TotalsState::NoTrailer;
        return verdict;
    }
    bool lacksFields = false;
    const std::vector<TotalsPairing> pairings = pairingsOf(*xa0Layout, &lacksFields);
    return compareTotals(totals, *xa0Layout, pairings, lacksFields, xa0Line);
}

} // namespace qm
