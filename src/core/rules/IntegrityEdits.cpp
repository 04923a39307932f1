#include "core/rules/IntegrityEdits.h"

#include "core/check/ClaimVisitor.h"
#include "core/claim/ClaimLoop.h"
#include "core/common/TextUtil.h"
#include "core/layouts/LayoutCatalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace qm {

namespace {

// The records numbered by SEQUENCE NO, the one that leads each group first.
constexpr std::string_view kGroups[2][7] = {{"DA0", "DA1", "DA2"},
                                            {"FA0", "FB0", "FB1", "FB2", "FB3", "FD0", "FE0"}};

// A date as its eight digits.
std::string digitsOf(std::int64_t date) {
    char text[24];
    std::snprintf(text, sizeof text, "%08lld", static_cast<long long>(date));
    return text;
}

// Whether eight digits are a calendar date, with the year read only for the
// 29th of February (dates are most of the fields the edits weigh). Told here
// rather than by the field check, and inline: it runs for every date field
// of every record.
inline bool isCalendarDate(const ShortValue& v) {
    if (!v.digits())
        return false;
    const unsigned month = v.digit(4) * 10 + v.digit(5), day = v.digit(6) * 10 + v.digit(7);
    if (month < 1 || month > 12 || day < 1 ||
        (v.digit(0) | v.digit(1) | v.digit(2) | v.digit(3)) == 0)
        return false;
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day <= kDays[month - 1])
        return true;
    if (month != 2 || day != 29)
        return false;
    const unsigned year = v.digit(0) * 1000 + v.digit(1) * 100 + v.digit(2) * 10 + v.digit(3);
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The date a value holds, CCYYMMDD, or 0.
inline std::int64_t calendarDate(std::string_view value) {
    // Eight digits are told at once.
    if (value.size() != 8)
        return 0;
    const ShortValue v(value);
    if (!isCalendarDate(v))
        return 0;
    std::int64_t date = 0;
    for (std::size_t i = 0; i < 8; ++i)
        date = date * 10 + v.digit(i);
    return date;
}

// Whether n bytes are the same, eight at a time: a control number is some
// seventeen, too few to be worth a call to memcmp.
inline bool sameBytes(const char* a, const char* b, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y)
            return false;
    }
    for (; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

IntegrityEdits::IntegrityEdits(const RuleCatalogue& rules, const LayoutCatalogue& layouts)
    : layouts_(layouts)
    , ca0_(recordTypeIndex("CA0"))
    , fa0_(recordTypeIndex("FA0"))
    , aa0_(recordTypeIndex("AA0")) {
    for (std::size_t i = 0; i < rules.rules().size(); ++i) {
        const Edit edit = rules.rules()[i].edit;
        if (edit == Edit::Condition)
            continue;
        rulesOf_[std::size_t(edit)].push_back(std::int32_t(i));
        on_[std::size_t(edit)] = true;
        any_ = true;
    }
    controlField_.fill(-1);
    sequenceField_.fill(-1);
    group_.fill(-1);
    for (int type = 0; type < kRecordTypeCount; ++type) {
        const RecordLayout& layout = layouts.at(type);
        for (int f = 0; f < layout.fieldCount(); ++f)
            cuts_[std::size_t(type)].emplace_back(layout.field(f).StartPos, layout.field(f).Length);
        // The claim's own records, CA0 to XA0, carry its control number.
        if (ClaimLoop::parentOf(kRecordTypes[std::size_t(type)]))
            controlField_[std::size_t(type)] = layout.indexOf("03.0");
        for (int f = 0; f < layout.fieldCount(); ++f) {
            const FieldFormat& format = layout.format(f);
            const Field cut{f, layout.field(f).StartPos, layout.field(f).Length, {}, {}};
            if (format.kind() == FieldFormat::Kind::Date)
                dates_[std::size_t(type)].push_back(cut);
            if (format.kind() == FieldFormat::Kind::Code && !format.meanings().empty()) {
                Field field = cut;
                for (const FieldFormat::Meaning& meaning : format.meanings()) {
                    field.codes.push_back(meaning.code);
                    field.keys.push_back(shortKey(meaning.code));
                }
                std::sort(field.codes.begin(), field.codes.end());
                std::sort(field.keys.begin(), field.keys.end());
                if (!field.keys.empty() && field.keys.front() == 0)
                    field.keys.clear();
                codes_[std::size_t(type)].push_back(std::move(field));
            }
            if (sequenceField_[std::size_t(type)] < 0 && layout.field(f).FieldName == "SEQUENCE NO")
                sequenceField_[std::size_t(type)] = f;
        }
    }
    for (std::int8_t g = 0; g < 2; ++g) {
        for (const std::string_view name : kGroups[g]) {
            const int type = name.empty() ? -1 : recordTypeIndex(name);
            if (type < 0)
                continue;
            group_[std::size_t(type)] = g;
            leads_[std::size_t(type)] = name == kGroups[g][0];
        }
    }
    for (std::size_t type = 0; type < hasFields_.size(); ++type)
        hasFields_[type] = !dates_[type].empty() || !codes_[type].empty();
    from_ = layouts.at(fa0_).indexOf("05.0");
    to_ = layouts.at(fa0_).indexOf("06.0");
    created_ = layouts.at(aa0_).indexOf("15.0");
}

std::int64_t IntegrityEdits::dateOf(std::string_view value) {
    return calendarDate(value);
}

std::uint64_t IntegrityEdits::shortKey(std::string_view code) {
    if (code.empty() || code.size() > 7)
        return 0;
    // In fixed-size loads: two overlapping halves for four to seven bytes.
    const std::size_t n = code.size();
    const char* const p = code.data();
    std::uint64_t key = 0;
    if (n >= 4) {
        std::uint32_t low, high;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + n - 4, 4);
        key = std::uint64_t(low) | (std::uint64_t(high) << (8 * (n - 4)));
    } else {
        for (std::size_t i = 0; i < n; ++i)
            key |= std::uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
    }
    return key | (std::uint64_t(n) << 56);
}

bool IntegrityEdits::listed(const Field& field, std::string_view code) const {
    // Codes are a few bytes: compared as numbers, not as strings.
    if (field.keys.empty())
        return std::binary_search(field.codes.begin(), field.codes.end(), code,
                                  std::less<std::string_view>());
    const std::uint64_t key = shortKey(code);
    return key && std::binary_search(field.keys.begin(), field.keys.end(), key);
}

void IntegrityEdits::add(Edit edit, const RuleFindings::Finding& where, std::string_view value,
                         RuleFindings& out) const {
    for (const std::int32_t rule : rulesOf_[std::size_t(edit)]) {
        RuleFindings::Finding finding = where;
        finding.rule = rule;
        out.add(finding, value);
    }
}

void IntegrityEdits::checkFields(int typeIndex, std::string_view line,
                                 std::vector<Shared::Found>& found) const {
    const RecordLayout& layout = layouts_.at(typeIndex);
    if (on(Edit::CalendarDates)) {
        for (const Field& field : dates_[std::size_t(typeIndex)]) {
            const std::string_view value = columns(line, field.start, field.length);
            // A date, blank, or failed by its type letters (not weighed
            // again): the usual cases, eight blanks and a date, are asked
            // first, from one load of the eight bytes.
            if (value.size() == 8) {
                const ShortValue eight(value);
                if (eight.blank() || isCalendarDate(eight))
                    continue;
            }
            if (trimSpaces(value).empty() || value == "00000000" ||
                !layout.isValid(field.index, value))
                continue;
            found.push_back({Edit::CalendarDates, field.index, std::string(value)});
        }
    }
    if (on(Edit::ListedCodes)) {
        for (const Field& field : codes_[std::size_t(typeIndex)]) {
            const std::string_view value = columns(line, field.start, field.length);
            const std::string_view code = trimSpaces(value);
            if (code.empty() || listed(field, code) || !layout.isValid(field.index, value))
                continue;
            found.push_back({Edit::ListedCodes, field.index, std::string(value)});
        }
    }
}

void IntegrityEdits::ownFields(std::size_t node, int typeIndex, int occurrence,
                               std::string_view line, RuleFindings& out) {
    if (dates_[std::size_t(typeIndex)].empty() && codes_[std::size_t(typeIndex)].empty())
        return;
    found_.clear();
    checkFields(typeIndex, line, found_);
    for (const Shared::Found& f : found_)
        add(f.edit, {-1, RuleFindings::ownOrder(node), typeIndex, occurrence, f.field, 0}, f.value,
            out);
}

void IntegrityEdits::controlNumber(std::size_t node, int typeIndex, int occurrence,
                                   std::string_view line, RuleFindings& out) {
    const int field = controlField_[std::size_t(typeIndex)];
    const std::string_view value = cut(typeIndex, field, line);
    if (typeIndex == ca0_) {
        // Kept as cut, blanks and all, in a buffer that has grown to the
        // field once: the other records mostly hold the same bytes, told
        // without trimming, and no string is built per claim.
        const std::string_view number = trimSpaces(value);
        if (controlNumber_.size() < value.size())
            controlNumber_.resize(value.size());
        if (!value.empty())
            std::memcpy(controlNumber_.data(), value.data(), value.size());
        controlCut_ = value.size();
        controlFrom_ = number.empty() ? 0 : std::size_t(number.data() - value.data());
        controlLength_ = number.size();
        hasControlNumber_ = true;
        return;
    }
    // Not the CA0's bytes (controlNumberHeld): the same number for all that?
    if (trimSpaces(value) != std::string_view(controlNumber_.data() + controlFrom_, controlLength_))
        add(Edit::ControlNumber,
            {-1, RuleFindings::ownOrder(node), typeIndex, occurrence, field, 0}, value, out);
}

inline bool IntegrityEdits::controlNumberHeld(int typeIndex, std::string_view line) const {
    if (typeIndex == ca0_)
        return false;
    if (!hasControlNumber_)
        return true;
    const std::string_view value = cut(typeIndex, controlField_[std::size_t(typeIndex)], line);
    return value.size() == controlCut_ &&
           sameBytes(value.data(), controlNumber_.data(), controlCut_);
}

inline void IntegrityEdits::sequence(std::size_t node, int typeIndex, int occurrence,
                                     std::string_view line, RuleFindings& out) {
    const int g = group_[std::size_t(typeIndex)];
    const int field = sequenceField_[std::size_t(typeIndex)];
    if (g < 0 || field < 0)
        return;
    Group& group = groups_[std::size_t(g)];
    const std::string_view value = cut(typeIndex, field, line);
    // A number that is none is the field check's to tell. Mostly two digits,
    // read at once.
    const ShortValue digits(value);
    const auto number = value.size() == 2 && digits.digits()
                            ? std::optional<std::int64_t>(digits.digit(0) * 10 + digits.digit(1))
                            : parseInteger(trimSpaces(value), 0, 999999999);
    const RuleFindings::Finding where{
        -1, RuleFindings::ownOrder(node), typeIndex, occurrence, field, 0};
    if (leads_[std::size_t(typeIndex)]) {
        ++group.leading;
        group.numbered = number.has_value();
        group.number = number.value_or(0);
        if (number && *number != group.leading) {
            RuleFindings::Finding wrong = where;
            wrong.expected = group.leading;
            add(Edit::SequenceNumbers, wrong, value, out);
        }
        return;
    }
    if (!number || (group.leading > 0 && (!group.numbered || *number == group.number)))
        return;
    RuleFindings::Finding wrong = where;
    wrong.expected = group.leading > 0 ? group.number : 0;
    add(Edit::SequenceNumbers, wrong, value, out);
}

inline void IntegrityEdits::service(std::size_t node, int occurrence, std::string_view line) {
    const std::int64_t from = from_ < 0 ? 0 : dateOf(cut(fa0_, from_, line));
    const std::int64_t to = to_ < 0 ? 0 : dateOf(cut(fa0_, to_, line));
    if (from || to)
        services_.push_back({node, occurrence, from, to});
}

void IntegrityEdits::record(std::size_t node, int typeIndex, int occurrence, std::string_view line,
                            RuleFindings& out) {
    // Each edit is asked of the types it weighs alone: most records are
    // weighed by two or three.
    const std::size_t type = std::size_t(typeIndex);
    if (on(Edit::ControlNumber) && controlField_[type] >= 0 && !controlNumberHeld(typeIndex, line))
        controlNumber(node, typeIndex, occurrence, line, out);
    if (on(Edit::SequenceNumbers) && group_[type] >= 0 && sequenceField_[type] >= 0)
        sequence(node, typeIndex, occurrence, line, out);
    if ((on(Edit::CalendarDates) || on(Edit::ListedCodes)) && hasFields_[type])
        ownFields(node, typeIndex, occurrence, line, out);
    if (typeIndex == fa0_ && on(Edit::ServiceAfterCreation))
        service(node, occurrence, line);
}

const IntegrityEdits::Shared& IntegrityEdits::shared(const SharedRecord& record,
                                                     std::size_t& hint) {
    ++uses_;
    // Claim after claim shows the same records in the same order: each is
    // mostly where it was found for the claim before.
    if (shared_[hint].at == record.at && shared_[hint].typeIndex == record.typeIndex) {
        shared_[hint].lastUse = uses_;
        return shared_[hint];
    }
    for (Shared& kept : shared_) {
        if (kept.at == record.at && kept.typeIndex == record.typeIndex) {
            kept.lastUse = uses_;
            hint = std::size_t(&kept - shared_.data());
            return kept;
        }
    }
    // Claims come in file order: the record used longest ago is done with.
    Shared& kept =
        *std::min_element(shared_.begin(), shared_.end(),
                          [](const Shared& a, const Shared& b) { return a.lastUse < b.lastUse; });
    hint = std::size_t(&kept - shared_.data());
    kept.at = record.at;
    kept.typeIndex = record.typeIndex;
    kept.lastUse = uses_;
    kept.found.clear();
    checkFields(record.typeIndex, record.line, kept.found);
    return kept;
}

void IntegrityEdits::sharedFields(const std::vector<SharedRecord>& records, bool above,
                                  RuleFindings& out) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SharedRecord& record = records[i];
        if (dates_[std::size_t(record.typeIndex)].empty() &&
            codes_[std::size_t(record.typeIndex)].empty())
            continue;
        const std::int64_t order =
            above ? RuleFindings::aboveOrder(i) : RuleFindings::belowOrder(i);
        std::size_t& hint = hints_[std::min(above ? i : kBelowHints + i, hints_.size() - 1)];
        for (const Shared::Found& f : shared(record, hint).found)
            add(f.edit, {-1, order, record.typeIndex, 1, f.field, 0}, f.value, out);
    }
}

void IntegrityEdits::servicesAfter(const PassClaim& claim, RuleFindings& out) {
    if (services_.empty() || created_ < 0)
        return;
    std::int64_t created = 0;
    for (const SharedRecord& shown : *claim.above) {
        if (shown.typeIndex != aa0_)
            continue;
        // Claim after claim shows the same file header: its date is read once.
        if (shown.at != createdAt_) {
            createdAt_ = shown.at;
            createdDate_ = dateOf(cut(aa0_, created_, shown.line));
        }
        created = createdDate_;
    }
    if (!created)
        return;
    for (const Service& s : services_) {
        const bool fromAfter = s.from > created;
        if (!fromAfter && s.to <= created)
            continue;
        add(Edit::ServiceAfterCreation,
            {-1, RuleFindings::ownOrder(s.node), fa0_, s.occurrence, fromAfter ? from_ : to_,
             created},
            digitsOf(fromAfter ? s.from : s.to), out);
    }
}

void IntegrityEdits::finish(const PassClaim& claim, RuleFindings& out) {
    if (on(Edit::CalendarDates) || on(Edit::ListedCodes)) {
        sharedFields(*claim.above, true, out);
        sharedFields(*claim.below, false, out);
    }
    if (on(Edit::ServiceAfterCreation))
        servicesAfter(claim, out);
}

void IntegrityEdits::dropNode(std::size_t node) {
    services_.erase(std::remove_if(services_.begin(), services_.end(),
                                   [&](const Service& s) { return s.node == node; }),
                    services_.end());
}

void IntegrityEdits::reset() {
    controlCut_ = 0;
    controlFrom_ = 0;
    controlLength_ = 0;
    hasControlNumber_ = false;
    groups_ = {};
    services_.clear();
}

} // namespace qm
