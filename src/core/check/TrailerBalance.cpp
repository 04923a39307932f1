#include "core/check/TrailerBalance.h"

#include "core/common/TextUtil.h"
#include "core/layouts/LayoutCatalogue.h"

#include <limits>

namespace qm {

namespace {

using Measure = TrailerBalance::Measure;
struct Rule {
    const char* id;
    Measure measure;
};
constexpr Rule kBatchRules[] = {{"08.0", Measure::ServiceLines},
                                {"09.0", Measure::RecordCount},
                                {"10.0", Measure::Claims},
                                {"11.0", Measure::Charges}};
constexpr Rule kFileRules[] = {{"05.0", Measure::ServiceLines},
                               {"06.0", Measure::RecordCount},
                               {"07.0", Measure::Claims},
                               {"08.0", Measure::Batches},
                               {"09.0", Measure::Charges}};

template <typename Visit> void forEachRule(std::string_view type, Visit&& visit) {
    if (type == "YA0")
        for (const Rule& rule : kBatchRules)
            visit(rule);
    else
        for (const Rule& rule : kFileRules)
            visit(rule);
}

} // namespace

TrailerBalance::TrailerBalance(const LayoutCatalogue& layouts, std::string_view type)
    : layout_(*layouts.find(type))
    , type_(recordTypeIndex(type)) {
    forEachRule(type, [this](const Rule& rule) {
        const int field = layout_.indexOf(rule.id);
        lacksFields_ = lacksFields_ || field < 0;
        if (field >= 0)
            compared_.push_back({field, rule.measure});
    });
}

std::vector<std::string_view> TrailerBalance::comparedIds(std::string_view type) {
    std::vector<std::string_view> ids;
    forEachRule(type, [&ids](const Rule& rule) { ids.emplace_back(rule.id); });
    return ids;
}

TrailerBalance::Result TrailerBalance::check(std::string_view line, const LineTally& beneath,
                                             std::int64_t everyRecord, const Problem& where,
                                             std::vector<ProblemRow>& rows) const {
    Result result;
    auto row = [&](Problem::Kind kind, int field, std::string_view value) {
        ProblemRow r{where, value};
        r.problem.kind = kind;
        r.problem.recordType = std::int8_t(type_);
        r.problem.occurrence = 1;
        r.problem.field = std::int16_t(field);
        return r;
    };
    std::vector<int> uncut;
    bool balances = true;
    bool tooLarge = false;
    for (const Compared& c : compared_) {
        if (!layout_.fitsIn(c.field, line.size())) {
            uncut.push_back(c.field);
            continue;
        }
        const std::string_view stored = layout_.value(c.field, line);
        const std::string_view value = trimSpaces(stored);
        if (value.empty())
            continue;
        const auto stated = parseInteger(value, std::numeric_limits<std::int64_t>::min(),
                                         std::numeric_limits<std::int64_t>::max());
        std::int64_t expected = 0;
        switch (c.measure) {
        case Measure::ServiceLines:
            expected = beneath.serviceLines;
            break;
        case Measure::RecordCount:
            expected = beneath.claimRecords;
            if (stated && *stated == beneath.claimRecords)
                result.readings |= kClaimRecordsMatched;
            if (stated && *stated == everyRecord)
                result.readings |= kEveryRecordMatched;
            break;
        case Measure::Claims:
            expected = beneath.claims;
            break;
        case Measure::Batches:
            expected = beneath.batches;
            break;
        case Measure::Charges:
            // Amounts too large to add up are no figure to compare with.
            if (!beneath.chargesFit(expected)) {
                ProblemRow r = row(Problem::Kind::TrailerCouldNotCheck, c.field, stored);
                r.problem.flags |= Problem::kTooLarge;
                rows.push_back(r);
                tooLarge = true;
                continue;
            }
            break;
        }
        const bool match = c.measure == Measure::RecordCount ? result.readings != 0
                                                             : stated && *stated == expected;
        if (match)
            continue;
        balances = false;
        ProblemRow r = row(Problem::Kind::TrailerDoesNotBalance, c.field, stored);
        r.problem.expected = expected;
        if (stated) {
            r.problem.found = *stated;
            r.problem.flags |= Problem::kFoundIsNumber;
        }
        rows.push_back(r);
    }
    for (const int field : uncut) {
        ProblemRow r = row(Problem::Kind::TrailerCouldNotCheck, field, {});
        r.problem.found = std::int64_t(line.size());
        rows.push_back(r);
    }
    if (lacksFields_)
        rows.push_back(row(Problem::Kind::TrailerCouldNotCheck, -1, {}));
    result.state = !balances                                    ? State::DoesNotBalance
                   : lacksFields_ || !uncut.empty() || tooLarge ? State::CouldNotCheck
                                                                : State::Balances;
    return result;
}

} // namespace qm
