#include "core/check/ProblemWords.h"

#include "core/check/RuleCatalogue.h"
#include "core/check/TrailerBalance.h"
#include "core/claim/RecordSplitter.h"
#include "core/claim/TotalsCheck.h"
#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/layouts/FieldFormat.h"
#include "core/layouts/LayoutCatalogue.h"

#include <charconv>

namespace qm {

namespace {

struct KindWords {
    const char* name;
    const char* key;
};
// In the order of Problem::Kind.
constexpr KindWords kKinds[Problem::kKindCount] = {
    {"Totals do not compute", "totals_do_not_compute"},
    {"Unreadable", "unreadable"},
    {"Invalid value", "invalid_value"},
    {"Could not check", "could_not_check"},
    {"No XA0", "no_xa0"},
    {"Does not balance", "trailer_does_not_balance"},
    {"Could not check", "trailer_could_not_check"},
    {"No batch trailer", "batch_without_trailer"},
    {"Batch trailer outside a batch", "trailer_without_batch"},
    {"Claim outside a batch", "claim_outside_batch"},
    {"Second file header", "second_file_header"},
    {"Unknown record type", "unknown_record_type"},
    {"Short line", "short_line"},
    {"More short lines", "more_short_lines"},
    {"Last line cut short", "cut_last_line"},
    {"Records after the file trailer", "records_after_file_trailer"},
    {"No file trailer", "no_file_trailer"},
    {"Lines end in LF only", "lf_only_line_ends"},
    {"File changed", "file_changed"},
    {"Rule", "rule"},
};

const FieldDef* fieldOf(const Problem& problem, const LayoutCatalogue* layouts) {
    if (!layouts || problem.recordType < 0 || problem.field < 0)
        return nullptr;
    const RecordLayout& layout = layouts->at(problem.recordType);
    return problem.field < layout.fieldCount() ? &layout.field(problem.field) : nullptr;
}

const FieldFormat* formatOf(const Problem& problem, const LayoutCatalogue* layouts) {
    return fieldOf(problem, layouts) ? &layouts->at(problem.recordType).format(problem.field)
                                     : nullptr;
}

bool comparesTrailer(Problem::Kind kind) {
    return kind == Problem::Kind::TotalsDoNotCompute ||
           kind == Problem::Kind::TrailerDoesNotBalance;
}

// Whether a row's value is a trailer field's count or amount.
bool holdsTrailerValue(const Problem& problem) {
    return comparesTrailer(problem.kind) || (problem.flags & Problem::kTooLarge);
}

// A count or sum in the width of the stored value it is set against, so
// that the two read alike: "0015752" beside "0015751".
std::string padded(std::int64_t number, std::string_view stored) {
    stored = trimSpaces(stored);
    std::string text = std::to_string(number);
    const bool digits =
        !stored.empty() && stored.find_first_not_of("0123456789") == std::string_view::npos;
    if (digits && number >= 0 && text.size() < stored.size())
        text.insert(0, stored.size() - text.size(), '0');
    return text;
}

// What records beneath a trailer of this type are called.
std::string_view recordsBeneath(std::string_view type) {
    return type == "YA0"   ? "the batch's records"
           : type == "ZA0" ? "the file's records"
                           : "the lines";
}

std::string_view typeOf(const Problem& problem) {
    return problem.recordType < 0 ? std::string_view()
                                  : kRecordTypes[static_cast<std::size_t>(problem.recordType)];
}

// A line put together from fixed words and file bytes, at the end of a text.
class Line {
public:
    Line(std::string& text, ProblemWords::Bytes bytes)
        : text_(text)
        , bytes_(bytes) {}
    Line& operator<<(std::string_view words) {
        text_.append(words);
        return *this;
    }
    Line& operator<<(std::int64_t number) {
        char digits[24];
        text_.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
        return *this;
    }
    // File bytes: a value, a field's number or name.
    Line& file(std::string_view bytes) {
        if (bytes_ == ProblemWords::Bytes::Printable)
            FileText::appendPrintable(text_, bytes);
        else
            FileText::appendUtf8(text_, bytes);
        return *this;
    }
    // "12.0 Total Claim Charges", or nothing for no field.
    Line& field(const Problem& problem, const LayoutCatalogue* layouts) {
        if (const FieldDef* f = fieldOf(problem, layouts)) {
            file(f->FieldId);
            if (!f->FieldName.empty())
                file(" ").file(f->FieldName);
        }
        return *this;
    }
    // The field numbers a trailer is compared by that its layout lacks.
    Line& missing(std::string_view type, const std::vector<std::string_view>& ids,
                  const LayoutCatalogue* layouts) {
        const RecordLayout* layout = layouts ? layouts->find(type) : nullptr;
        const char* separator = " (";
        bool any = false;
        for (const std::string_view id : ids) {
            if (layout && layout->indexOf(id) >= 0)
                continue;
            text_.append(separator).append(id);
            separator = ", ";
            any = true;
        }
        if (any)
            text_ += ')';
        return *this;
    }
    // "Total Claim Charges: the XA0 states $157.51, the lines add up to $157.50".
    Line& disagreement(std::string_view type, const FieldDef* field, const FieldFormat* format,
                       std::string_view stated, std::int64_t computed) {
        if (field && !trimSpaces(field->FieldName).empty())
            file(trimSpaces(field->FieldName)) << ": ";
        *this << "the " << type << " states ";
        const std::string shown = format ? format->shown(stated) : std::string();
        if (shown.empty())
            file(trimSpaces(stated));
        else
            *this << shown;
        const std::string sum = format ? format->shownNumber(computed) : std::string();
        return *this << ", " << recordsBeneath(type) << " add up to "
                     << (sum.empty() ? padded(computed, stated) : sum);
    }

private:
    std::string& text_;
    ProblemWords::Bytes bytes_;
};

// A value a rule's message names, as its field's format shows it, else as
// stored without its blanks.
void appendShown(Line& text, const LayoutCatalogue* layouts, const RuleCatalogue::MessagePart& part,
                 std::optional<std::string_view> value) {
    if (!value) {
        text << "(none)";
        return;
    }
    const std::string_view trimmed = trimSpaces(*value);
    if (trimmed.empty()) {
        text << "(blank)";
        return;
    }
    const RecordLayout* layout = layouts ? &layouts->at(part.type) : nullptr;
    const std::string shown = layout && part.field < layout->fieldCount()
                                  ? layout->format(part.field).shown(*value)
                                  : std::string();
    if (shown.empty())
        text.file(trimmed);
    else
        text << shown;
}

// "2004-07-01" for the digits of a date.
std::string dateOf(std::string_view digits) {
    const auto n = parseInteger(trimSpaces(digits), 0, 99999999);
    const std::string date = n ? FieldFormat::date(*n) : std::string();
    return date.empty() ? std::string(trimSpaces(digits)) : date;
}

// What a built-in edit found, after the record and field it is about.
void appendEditWords(Line& text, RuleCatalogue::Edit edit, const ProblemRow& row) {
    const Problem& p = row.problem;
    const std::string_view type = typeOf(p);
    const std::string_view leader = !type.empty() && type[0] == 'D' ? "DA0" : "FA0";
    switch (edit) {
    case RuleCatalogue::Edit::ControlNumber:
        text << "\"";
        text.file(trimSpaces(row.value)) << "\" is not the claim's own (its CA0's 03.0)";
        break;
    case RuleCatalogue::Edit::SequenceNumbers:
        text << "\"";
        text.file(trimSpaces(row.value)) << "\" ";
        if (type == "DA0" || type == "FA0")
            text << "is not " << padded(p.expected, row.value) << ": the claim's " << type
                 << " records are numbered 01, 02, ... in file order";
        else if (p.expected > 0)
            text << "is not " << padded(p.expected, row.value) << ", the sequence number of the "
                 << leader << " it follows";
        else
            text << "follows no " << leader << " of the claim";
        break;
    case RuleCatalogue::Edit::CalendarDates:
        text << "\"";
        text.file(row.value) << "\" is no calendar date (CCYYMMDD)";
        break;
    case RuleCatalogue::Edit::ServiceAfterCreation:
        text << dateOf(row.value) << " lies after the file's creation date, "
             << dateOf(std::to_string(p.expected)) << " (AA0 15.0)";
        break;
    case RuleCatalogue::Edit::ListedCodes:
        text << "\"";
        text.file(trimSpaces(row.value)) << "\" is none of the codes its format file lists";
        break;
    case RuleCatalogue::Edit::Condition:
        break;
    }
}

// A rule's row: its message, or what its built-in edit found, and its id.
void appendRuleWords(Line& text, const ProblemRow& row, const LayoutCatalogue* layouts) {
    const Problem& p = row.problem;
    const RuleCatalogue::Rule* rule = row.rules ? row.rules->rule(p.rule) : nullptr;
    if (!rule) {
        text << "rule " << std::int64_t(p.rule);
        return;
    }
    if (rule->edit == RuleCatalogue::Edit::Condition) {
        std::size_t at = 0;
        for (const RuleCatalogue::MessagePart& part : rule->message) {
            if (part.record)
                text.file(ProblemWords::recordKey(p, layouts));
            else if (part.type < 0)
                text << part.text;
            else
                appendShown(text, layouts, part, RuleCatalogue::unpackValue(row.value, at));
        }
    } else {
        text.file(ProblemWords::recordKey(p, layouts)) << " ";
        text.field(p, layouts) << " ";
        appendEditWords(text, rule->edit, row);
    }
    text << " [" << rule->id << "]";
}

// Why totals or a trailer could not be compared.
void appendNotCompared(Line& text, const Problem& p, const LayoutCatalogue* layouts) {
    const std::string_view type = typeOf(p);
    if (p.flags & Problem::kTooLarge) {
        text.file(type) << " ";
        text.field(p, layouts) << " was not compared: the amounts of " << recordsBeneath(type)
                               << " are too large to add up";
    } else if (p.field >= 0) {
        text.file(type) << " ";
        text.field(p, layouts) << " does not lie within the line as read (" << p.found
                               << " characters): it was not compared";
    } else if (p.kind == Problem::Kind::CouldNotCheck) {
        text << "the map lacks XA0 fields that the totals are compared with";
        text.missing(type, comparedXa0Ids(), layouts);
    } else {
        text << "the map lacks " << type << " fields that the "
             << (type == "YA0" ? "batch" : "file") << " is balanced by";
        text.missing(type, TrailerBalance::comparedIds(type), layouts);
    }
}

// How a batch that has no trailer ended.
std::string_view endOf(const Problem& problem) {
    if (problem.found == recordTypeIndex("BA0"))
        return "reaches the next batch header (BA0)";
    if (problem.found == recordTypeIndex("ZA0"))
        return "reaches the file trailer (ZA0)";
    return "reaches the end of the file";
}

} // namespace

std::string_view ProblemWords::kindName(Problem::Kind kind) {
    return kKinds[static_cast<std::size_t>(kind)].name;
}

std::string_view ProblemWords::kindKey(Problem::Kind kind) {
    return kKinds[static_cast<std::size_t>(kind)].key;
}

std::string_view ProblemWords::scopeKey(Problem::Scope scope) {
    switch (scope) {
    case Problem::Scope::Batch:
        return "batch";
    case Problem::Scope::Claim:
        return "claim";
    case Problem::Scope::File:
        break;
    }
    return "file";
}

std::string_view ProblemWords::severityKey(Problem::Severity severity) {
    switch (severity) {
    case Problem::Severity::Warning:
        return "warning";
    case Problem::Severity::Note:
        return "note";
    case Problem::Severity::Error:
        break;
    }
    return "error";
}

std::string_view ProblemWords::ruleId(const ProblemRow& row) {
    if (row.problem.kind != Problem::Kind::Rule || !row.rules)
        return {};
    const RuleCatalogue::Rule* rule = row.rules->rule(row.problem.rule);
    return rule ? std::string_view(rule->id) : std::string_view();
}

std::string ProblemWords::recordKey(const Problem& problem, const LayoutCatalogue* layouts) {
    if (problem.recordType < 0)
        return {};
    if (!layouts)
        return std::string(typeOf(problem));
    return RecordSplitter::nodeKey(*layouts, {problem.recordType, problem.occurrence});
}

std::string_view ProblemWords::fieldId(const Problem& problem, const LayoutCatalogue* layouts) {
    const FieldDef* field = fieldOf(problem, layouts);
    return field ? std::string_view(field->FieldId) : std::string_view();
}

std::string_view ProblemWords::fieldName(const Problem& problem, const LayoutCatalogue* layouts) {
    const FieldDef* field = fieldOf(problem, layouts);
    return field ? std::string_view(field->FieldName) : std::string_view();
}

ProblemWords::Found ProblemWords::foundIs(const Problem& problem) {
    switch (problem.kind) {
    case Problem::Kind::TotalsDoNotCompute:
    case Problem::Kind::InvalidValue:
    case Problem::Kind::TrailerDoesNotBalance:
        return Found::Value;
    case Problem::Kind::UnknownRecordType:
        return Found::Type;
    case Problem::Kind::CouldNotCheck:
    case Problem::Kind::TrailerCouldNotCheck:
        if (problem.flags & Problem::kTooLarge)
            return Found::Value;
        return problem.field >= 0 ? Found::Number : Found::Nothing;
    case Problem::Kind::ShortLine:
    case Problem::Kind::MoreShortLines:
    case Problem::Kind::CutLastLine:
    case Problem::Kind::FileChanged:
        return Found::Number;
    case Problem::Kind::Rule:
        // A built-in edit's field; a condition's value holds its message's values.
        return problem.field >= 0 ? Found::Value : Found::Nothing;
    default:
        return Found::Nothing;
    }
}

std::string ProblemWords::found(const ProblemRow& row) {
    std::string text;
    switch (foundIs(row.problem)) {
    case Found::Value:
        // A compared trailer field reads as its number, without its padding.
        FileText::appendUtf8(text,
                             holdsTrailerValue(row.problem) ? trimSpaces(row.value) : row.value);
        break;
    case Found::Type:
        FileText::appendUtf8(text, Problem::unpackType(row.problem.found));
        break;
    case Found::Number:
        text = std::to_string(row.problem.found);
        break;
    case Found::Nothing:
        break;
    }
    return text;
}

bool ProblemWords::hasExpected(Problem::Kind kind) {
    return kind == Problem::Kind::TotalsDoNotCompute ||
           kind == Problem::Kind::TrailerDoesNotBalance || kind == Problem::Kind::FileChanged;
}

std::string ProblemWords::expected(const ProblemRow& row) {
    const Problem& p = row.problem;
    if (!hasExpected(p.kind))
        return {};
    if (p.kind == Problem::Kind::FileChanged)
        return std::to_string(p.expected);
    return padded(p.expected, row.value);
}

std::string ProblemWords::shownFound(const ProblemRow& row, const LayoutCatalogue* layouts) {
    const FieldFormat* format = formatOf(row.problem, layouts);
    const std::string shown =
        format && holdsTrailerValue(row.problem) ? format->shown(row.value) : std::string();
    return shown.empty() ? found(row) : shown;
}

std::string ProblemWords::shownExpected(const ProblemRow& row, const LayoutCatalogue* layouts) {
    const FieldFormat* format =
        comparesTrailer(row.problem.kind) ? formatOf(row.problem, layouts) : nullptr;
    const std::string shown = format ? format->shownNumber(row.problem.expected) : std::string();
    return shown.empty() ? expected(row) : shown;
}

std::string ProblemWords::disagreement(std::string_view recordType, const FieldDef* field,
                                       const FieldFormat* format, std::string_view stated,
                                       std::int64_t computed, Bytes bytes) {
    std::string words;
    Line(words, bytes).disagreement(recordType, field, format, stated, computed);
    return words;
}

std::string ProblemWords::disagreement(const ProblemRow& row, const LayoutCatalogue* layouts,
                                       Bytes bytes) {
    const Problem& p = row.problem;
    if (!comparesTrailer(p.kind))
        return {};
    return disagreement(typeOf(p), fieldOf(p, layouts), formatOf(p, layouts), row.value, p.expected,
                        bytes);
}

std::string ProblemWords::line(const ProblemRow& row, const LayoutCatalogue* layouts, Bytes bytes) {
    std::string text;
    appendLine(text, row, layouts, bytes);
    return text;
}

void ProblemWords::appendLine(std::string& out, const ProblemRow& row,
                              const LayoutCatalogue* layouts, Bytes bytes) {
    const Problem& p = row.problem;
    Line text(out, bytes);
    text << kindName(p.kind) << ": ";
    switch (p.kind) {
    case Problem::Kind::TotalsDoNotCompute:
    case Problem::Kind::TrailerDoesNotBalance:
        text.disagreement(typeOf(p), fieldOf(p, layouts), formatOf(p, layouts), row.value,
                          p.expected);
        break;
    case Problem::Kind::InvalidValue:
        text.file(recordKey(p, layouts)) << " ";
        text.field(p, layouts) << " \u2014 \"";
        text.file(row.value) << "\"";
        break;
    case Problem::Kind::Unreadable:
        text << "the file changed while the claim was read";
        break;
    case Problem::Kind::CouldNotCheck:
    case Problem::Kind::TrailerCouldNotCheck:
        appendNotCompared(text, p, layouts);
        break;
    case Problem::Kind::NoXa0:
        text << "the claim has no trailer of its own; its totals were not compared";
        break;
    case Problem::Kind::BatchWithoutTrailer:
        text << "the batch " << endOf(p) << " without a YA0";
        break;
    case Problem::Kind::TrailerWithoutBatch:
        text << "a YA0 while no batch is open (no BA0 since the last YA0)";
        break;
    case Problem::Kind::ClaimOutsideBatch:
        text << (p.batch >= 0 ? "the claim lies after its batch's trailer (YA0), before the next "
                                "batch header (BA0)"
                              : "the claim lies before the first batch header (BA0)");
        break;
    case Problem::Kind::SecondFileHeader:
        text << "a file header (AA0) after the first";
        break;
    case Problem::Kind::UnknownRecordType:
        text << "\"";
        text.file(Problem::unpackType(p.found)) << "\" is none of the 32 record types";
        break;
    case Problem::Kind::ShortLine:
        text << p.found << " characters, too short to be a record (320)";
        break;
    case Problem::Kind::MoreShortLines:
        text << p.found << " more lines too short to be records, from line " << p.line
             << " on, are not listed";
        break;
    case Problem::Kind::CutLastLine:
        text << p.found << " characters, too short to be a record (320)";
        break;
    case Problem::Kind::RecordsAfterFileTrailer:
        text << "records follow the file trailer (ZA0), the first at line " << p.line;
        break;
    case Problem::Kind::NoFileTrailer:
        text << "the file has no ZA0";
        break;
    case Problem::Kind::LfOnlyLineEnds:
        if (p.found == Problem::kLfReadAsLineEnd)
            text << "read with LF as the line end, as asked; NSF files end lines with CR LF";
        else
            text << "the file reads as one line, so nothing after its first line could be read";
        break;
    case Problem::Kind::FileChanged:
        text << "the file changed while it was read: " << p.found << " of the " << p.expected
             << " claims it had when the check began could not be read, and what was read may "
                "not be what the file holds now";
        break;
    case Problem::Kind::Rule:
        appendRuleWords(text, row, layouts);
        break;
    }
}

} // namespace qm
