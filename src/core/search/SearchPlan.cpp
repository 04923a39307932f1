#include "core/search/SearchPlan.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/layouts/FieldValidator.h"

#include <algorithm>

namespace qm {

namespace {

// Whether a search over every field compares a number typed in unit `own`
// with fields of `unit`: its own kind, and money for a whole number too.
bool takesPart(NumberText::Unit own, NumberText::Unit unit) {
    return unit == own || (own == NumberText::Unit::Whole && unit == NumberText::Unit::Cents);
}

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return out;
}

// "05.0": two digits, a point, a digit.
bool isFieldNumber(std::string_view text) {
    auto digit = [&](std::size_t i) {
        return text[i] >= '0' && text[i] <= '9';
    };
    return text.size() == 4 && digit(0) && digit(1) && text[2] == '.' && digit(3);
}

// Whether a number typed (either end of a range) has more decimals than a
// field of money (two) or tenths (one) holds.
bool finerThan(const SearchQuery& query, NumberText::Unit unit) {
    const int places = unit == NumberText::Unit::Cents    ? 2
                       : unit == NumberText::Unit::Tenths ? 1
                                                          : -1;
    const bool range = query.compare == SearchQuery::Compare::Between;
    return places >= 0 &&
           (query.number.places() > places || (range && query.upTo.places() > places));
}

} // namespace

std::optional<NumberText::Unit> SearchPlan::unitOf(const RecordLayout& layout, int field) {
    switch (layout.format(field).kind()) {
    case FieldFormat::Kind::Money:
        return NumberText::Unit::Cents;
    case FieldFormat::Kind::Tenths:
        return NumberText::Unit::Tenths;
    case FieldFormat::Kind::Date:
        return NumberText::Unit::Date;
    case FieldFormat::Kind::Plain:
    case FieldFormat::Kind::Code:
        break;
    }
    // The N letter decides where both are given, as in the field check.
    const FieldChecks checks = fieldChecksOf(layout.field(field).TypeCodes);
    if (checks.numeric)
        return NumberText::Unit::Whole;
    if (checks.date)
        return NumberText::Unit::Date;
    return std::nullopt;
}

std::string_view SearchPlan::unitWords(NumberText::Unit unit) {
    switch (unit) {
    case NumberText::Unit::Cents:
        return "amounts of money";
    case NumberText::Unit::Tenths:
        return "numbers with one decimal place";
    case NumberText::Unit::Date:
        return "dates";
    case NumberText::Unit::Whole:
        break;
    }
    return "whole numbers";
}

std::string SearchPlan::comparedIn() const {
    std::array<bool, NumberText::kUnitCount> seen{};
    for (const auto& units : units_)
        for (const NumberText::Unit unit : units)
            seen[std::size_t(unit)] = true;
    std::string words;
    for (int u = 0; u < NumberText::kUnitCount; ++u)
        if (seen[std::size_t(u)])
            words += (words.empty() ? "" : " and ") +
                     std::string(unitWords(static_cast<NumberText::Unit>(u)));
    return words;
}

std::string SearchPlan::describeField(const LayoutCatalogue& layouts, int typeIndex, int field) {
    const FieldDef& f = layouts.at(typeIndex).field(field);
    return std::string(kRecordTypes[std::size_t(typeIndex)]) + ' ' + FileText::toUtf8(f.FieldId) +
           ' ' + FileText::toUtf8(trimSpaces(f.FieldName));
}

bool SearchPlan::select(const SearchQuery& query, std::string& error) {
    int onlyType = -1;
    const std::string type = upperAscii(trimSpaces(query.recordType));
    if (!type.empty()) {
        onlyType = recordTypeIndex(type);
        if (onlyType < 0) {
            error = "unknown record type '" + type + "'";
            return false;
        }
    }
    std::string_view field = trimSpaces(query.field);
    // "CA0 05.0" or "CA0 LAST NAME": a field of one record type.
    if (field.size() > 4 && field[3] == ' ') {
        const int named = recordTypeIndex(upperAscii(field.substr(0, 3)));
        if (named >= 0) {
            if (onlyType >= 0 && named != onlyType) {
                error = "the field '" + std::string(field) + "' is no field of record type " + type;
                return false;
            }
            onlyType = named;
            field = trimSpaces(field.substr(4));
        }
    }
    const bool byNumber = isFieldNumber(field);
    const std::string name = upperAscii(field);
    bool any = false;
    for (int t = 0; t < kRecordTypeCount; ++t) {
        fields_[std::size_t(t)].clear();
        if (onlyType >= 0 && t != onlyType)
            continue;
        const RecordLayout& layout = layouts_->at(t);
        for (int i = 0; i < layout.fieldCount(); ++i) {
            const FieldDef& f = layout.field(i);
            if (field.empty() || (byNumber ? trimSpaces(f.FieldId) == field
                                           : upperAscii(trimSpaces(f.FieldName)) == name)) {
                fields_[std::size_t(t)].push_back(i);
                any = true;
                // A number the map defines twice names its first definition.
                if (byNumber)
                    break;
            }
        }
    }
    // A map without fields, asked for nothing in particular: nothing to match.
    if (any || (field.empty() && onlyType < 0))
        return true;
    const std::string ofType =
        onlyType >= 0 ? " of record type " + std::string(kRecordTypes[std::size_t(onlyType)])
                      : std::string();
    if (field.empty())
        error = "no fields" + ofType + " in the map of this file";
    else
        error = "no field '" + std::string(field) + "'" + ofType + " in the map of this file";
    return false;
}

bool SearchPlan::prepare(const SearchQuery& query, std::shared_ptr<const LayoutCatalogue> layouts,
                         std::string& error) {
    layouts_ = std::move(layouts);
    if (!select(query, error) || !matcher_.prepare(query, error))
        return false;
    for (auto& units : units_)
        units.clear();
    if (query.mode == SearchQuery::Mode::Number && !empty()) {
        // Numbers compare where a field holds numbers of a unit the number
        // can be written in; over every field, only in its own unit: amounts
        // with money, dates with dates. A bare whole number is dollars to
        // billing staff, so over every field it also compares with money.
        const bool everyField = trimSpaces(query.field).empty();
        const NumberText::Unit own = query.ownUnit();
        std::string firstNamed;
        std::optional<NumberText::Unit> firstUnit;
        bool any = false;
        for (int t = 0; t < kRecordTypeCount; ++t) {
            std::vector<int>& fields = fields_[std::size_t(t)];
            if (firstNamed.empty() && !fields.empty()) {
                firstNamed = describeField(*layouts_, t, fields.front());
                firstUnit = unitOf(layouts_->at(t), fields.front());
            }
            std::vector<int> kept;
            for (const int i : fields) {
                const std::optional<NumberText::Unit> unit = unitOf(layouts_->at(t), i);
                if (unit && matcher_.comparesIn(*unit) && (!everyField || takesPart(own, *unit))) {
                    kept.push_back(i);
                    units_[std::size_t(t)].push_back(*unit);
                }
            }
            fields.swap(kept);
            any = any || !fields.empty();
        }
        if (!any) {
            const std::optional<NumberText::Unit> unit = everyField ? own : firstUnit;
            if (unit && !matcher_.comparesIn(*unit) && finerThan(query, *unit))
                error = "'" + std::string(trimSpaces(query.text)) + "' has " +
                        (*unit == NumberText::Unit::Cents
                             ? "more than two decimals: amounts of money compare in whole cents"
                             : "more than one decimal: these fields hold tenths");
            else if (everyField)
                error = "no fields of " + std::string(unitWords(own)) + " to compare";
            else if (!firstUnit)
                error = "'" + firstNamed +
                        "' holds no numbers: numbers compare only in number (N) or date (D) "
                        "fields";
            else
                error = "'" + firstNamed + "' holds " + std::string(unitWords(*firstUnit)) + ": '" +
                        std::string(trimSpaces(query.text)) + "' cannot be compared with them";
            return false;
        }
    }
    for (std::size_t t = 0; t < fields_.size(); ++t) {
        wholeRecordFirst_[t] = query.mode != SearchQuery::Mode::Number && fields_[t].size() > 2;
        columns_[t].clear();
        columnFields_[t].clear();
        reach_[t] = 0;
        for (std::size_t k = 0; k < fields_[t].size(); ++k) {
            const FieldDef& f = layouts_->at(int(t)).field(fields_[t][k]);
            if (f.Length < 0 || std::size_t(f.Length) < matcher_.shortestMatch())
                continue;
            columns_[t].push_back({f.StartPos, f.Length});
            columnFields_[t].push_back(k);
            if (f.StartPos >= 1 && f.Length > 0)
                reach_[t] = std::max(reach_[t], std::size_t(f.StartPos - 1 + f.Length));
        }
    }
    return true;
}

bool SearchPlan::empty() const {
    return std::all_of(fields_.begin(), fields_.end(),
                       [](const std::vector<int>& fields) { return fields.empty(); });
}

void SearchPlan::match(int typeIndex, std::string_view line, std::vector<FieldHit>& out) const {
    const std::size_t t = std::size_t(typeIndex);
    const std::vector<int>& fields = fields_[t];
    if (fields.empty() || (wholeRecordFirst_[t] && !matcher_.mayMatchWithin(line)))
        return;
    if (matcher_.readsColumns()) {
        matches_.clear();
        matcher_.matchColumns(line, columns_[t], reach_[t], matches_);
        for (const ValueMatch& m : matches_)
            out.push_back({std::string(), typeIndex, fields[columnFields_[t][m.value]],
                           std::string(columns_[t][m.value].of(line)),
                           static_cast<std::uint32_t>(m.start),
                           static_cast<std::uint32_t>(m.length)});
        return;
    }
    // Written in place: a push_back of each would pass it through memory on
    // the way, a stall every field.
    const RecordLayout& layout = layouts_->at(typeIndex);
    values_.resize(fields.size());
    for (std::size_t k = 0; k < fields.size(); ++k)
        values_[k] = layout.value(fields[k], line);
    matches_.clear();
    matcher_.matchEach(values_, matches_, units_[t]);
    for (const ValueMatch& m : matches_)
        out.push_back({std::string(), typeIndex, fields[m.value], std::string(values_[m.value]),
                       static_cast<std::uint32_t>(m.start), static_cast<std::uint32_t>(m.length)});
}

} // namespace qm
