#include "print/ClaimRows.h"

#include "core/claim/AssembledClaim.h"
#include "core/common/TextUtil.h"
#include "core/filetree/NodeText.h"
#include "core/layouts/RecordTypes.h"
#include "core/report/ReportText.h"
#include "print/PrintText.h"

#include <algorithm>

namespace {

enum Column { Field, Name, Value, Stored, Valid, ColumnCount };

bool isRequired(const std::string& codes) {
    return codes.find_first_of("Rr") != std::string::npos;
}

// Field `index` of record as a date CCYYMMDD; 0 when it is none.
std::int64_t dateOf(const qm::AssembledRecord& record, int index) {
    if (index < 0 || index >= int(record.fields.size()))
        return 0;
    const std::string_view value = qm::trimSpaces(record.value(index));
    if (value.size() != 8 ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const std::int64_t date = std::stoll(std::string(value));
    return qm::FieldFormat::date(date).empty() ? 0 : date;
}

// The first and last dates of service of the claim's service lines (FA0
// 05.0 from, 06.0 to); empty when none is a date.
QString servicePeriod(const qm::AssembledClaim& claim) {
    std::int64_t first = 0, last = 0;
    for (const qm::AssembledRecord& record : claim.records) {
        const qm::RecordLayout* layout = record.type == "FA0" ? claim.layout(record) : nullptr;
        if (!layout || !record.read)
            continue;
        const std::int64_t start = dateOf(record, layout->indexOf("05.0"));
        const std::int64_t end = dateOf(record, layout->indexOf("06.0"));
        if (start != 0 && (first == 0 || start < first))
            first = start;
        last = std::max({last, start, end});
    }
    if (first == 0)
        return QString();
    const QString from = QString::fromStdString(qm::FieldFormat::date(first));
    return last > first
               ? from + QStringLiteral(" to ") + QString::fromStdString(qm::FieldFormat::date(last))
               : from;
}

} // namespace

ClaimRows::ClaimRows(std::shared_ptr<const qm::AssembledClaim> claim)
    : ClaimRows(std::move(claim), Mark()) {
}

ClaimRows::ClaimRows(std::shared_ptr<const qm::AssembledClaim> claim, Mark mark)
    : claim_(std::move(claim))
    , mark_(std::move(mark)) {
    for (int n = 0; n < int(claim_->nodes.size()); ++n) {
        const qm::AssembledRecord* record = claim_->record(claim_->nodes[std::size_t(n)]);
        const qm::RecordLayout* layout = record ? claim_->layout(*record) : nullptr;
        // A record the click could not read has no fields to show.
        if (!layout || !record->read)
            continue;
        const int fields = std::min(layout->fieldCount(), int(record->fields.size()));
        for (int f = 0; f < fields; ++f)
            rows_.push_back({n, f});
    }
}

TableDocument::Section ClaimRows::section(const Place& place) const {
    TableDocument::Section section;
    section.title = place.key + QStringLiteral("  ") + place.text;
    section.lines = lines(place);
    section.rows = this;
    return section;
}

std::vector<TableDocument::Line> ClaimRows::lines(const Place& place) const {
    std::vector<TableDocument::Line> lines;
    if (!place.filePath.isEmpty())
        lines.push_back({QStringLiteral("File"), place.filePath});
    qm::NodeText text;
    if (const qm::AssembledRecord* ba0 = claim_->record("BA0"); ba0 && ba0->read) {
        // The provider as the file tree names the batch, without its "BA0: ".
        QString provider = PrintText::fromFile(text.make('B', ba0->line)).mid(5);
        if (!place.batchKey.isEmpty())
            provider = place.batchKey + QStringLiteral("  ") + provider;
        lines.push_back({QStringLiteral("Batch and provider"), provider});
    }
    if (const qm::AssembledRecord* ca0 = claim_->record("CA0"); ca0 && ca0->read) {
        const qm::NodeText::Fields fields = qm::NodeText::fieldsOf('C', ca0->line);
        lines.push_back({QStringLiteral("Patient"), PrintText::fromFile(qm::NodeText::patientName(
                                                        fields.field[0], fields.field[1]))});
        lines.push_back({QStringLiteral("Control number"), PrintText::fromFile(fields.field[2])});
    }
    const QString period = servicePeriod(*claim_);
    if (!period.isEmpty())
        lines.push_back({QStringLiteral("Dates of service"), period});
    addVerdict(lines);
    for (const qm::ClaimNode& node : claim_->nodes) {
        const qm::AssembledRecord* record = claim_->record(node);
        const QString key = PrintText::fromFile(node.key);
        if (record && !record->read)
            lines.push_back({QStringLiteral("Note"),
                             key + QStringLiteral(": this record could not be read from the file"),
                             true});
        else if (record && record->lineCut)
            lines.push_back({QStringLiteral("Note"),
                             QStringLiteral("%1: the line is longer than %2 characters; only its "
                                            "first %2 are shown")
                                 .arg(key, PrintText::number(qint64(record->line.size())))});
    }
    return lines;
}

void ClaimRows::addVerdict(std::vector<TableDocument::Line>& lines) const {
    const qm::TotalsVerdict& totals = claim_->totals;
    if (claim_->unreadable)
        lines.push_back({QStringLiteral("Claim"),
                         QStringLiteral("Unreadable: the claim's CA0 record is no longer where the "
                                        "file tree found it"),
                         true});
    if (!totals.checked())
        return;
    lines.push_back(
        {QStringLiteral("Totals"),
         PrintText::fromUtf8(qm::ReportText::totalsLine(totals.state, totals.mismatched())),
         totals.state != qm::TotalsState::Ok});
    for (const qm::TotalsComparison& comparison : totals.compared)
        lines.push_back(
            {QStringLiteral("XA0 ") + PrintText::fromFile(comparison.fieldId),
             PrintText::fromUtf8(qm::ReportText::comparisonLine(comparison, claim_->layouts.get())),
             !comparison.match});
}

int ClaimRows::columnCount() const {
    return ColumnCount;
}

QString ClaimRows::header(int column) const {
    static const char* const kHeaders[] = {"Field", "Name", "Value", "Stored", "Valid"};
    return QLatin1String(kHeaders[column]);
}

std::int64_t ClaimRows::rowCount() const {
    return std::int64_t(rows_.size());
}

QString ClaimRows::cell(std::int64_t row, int column) const {
    const Row& r = rows_[std::size_t(row)];
    const qm::AssembledRecord& record = *claim_->record(claim_->nodes[std::size_t(r.node)]);
    const qm::RecordLayout& layout = *claim_->layout(record);
    const qm::FieldDef& field = layout.field(r.field);
    switch (column) {
    case Field:
        return PrintText::fromFile(field.FieldId);
    case Name:
        return PrintText::fromFile(qm::trimSpaces(field.FieldName));
    case Value:
    case Stored: {
        // Money as money, dates as dates, codes with their meaning, where the
        // format file says so; what the file holds beside it.
        const std::string shown = layout.format(r.field).shown(record.value(r.field));
        const QString stored = PrintText::fromFile(qm::trimSpaces(record.value(r.field)));
        if (column == Stored)
            return shown.empty() ? QString() : stored;
        return shown.empty() ? stored : PrintText::fromUtf8(shown);
    }
    case Valid:
        return record.valid(r.field) ? QStringLiteral("valid") : QStringLiteral("invalid");
    default:
        return QString();
    }
}

TableRows::Style ClaimRows::style(std::int64_t row, int column) const {
    const Row& r = rows_[std::size_t(row)];
    const qm::ClaimNode& node = claim_->nodes[std::size_t(r.node)];
    const qm::AssembledRecord& record = *claim_->record(node);
    Style style;
    style.strong = column == Name && isRequired(claim_->layout(record)->field(r.field).TypeCodes);
    style.alert = (column == Value || column == Valid) && !record.valid(r.field);
    style.marked = r.field == mark_.field && node.key == mark_.node;
    return style;
}

int ClaimRows::stretchColumn() const {
    return Value;
}

bool ClaimRows::wraps() const {
    return true;
}

bool ClaimRows::grouped() const {
    return true;
}

std::int64_t ClaimRows::group(std::int64_t row) const {
    return rows_[std::size_t(row)].node;
}

QString ClaimRows::groupHeading(std::int64_t row) const {
    const qm::ClaimNode& node = claim_->nodes[std::size_t(rows_[std::size_t(row)].node)];
    const qm::AssembledRecord& record = *claim_->record(node);
    QString heading = PrintText::fromFile(node.key);
    const std::string_view name = qm::recordTypeName(record.type);
    if (!name.empty())
        heading += QStringLiteral("  ") + PrintText::fromUtf8(name);
    // A record that repeats is numbered among those of its type.
    if (claim_->layout(record)->repeats()) {
        const auto of = std::count_if(
            claim_->records.begin(), claim_->records.end(),
            [&record](const qm::AssembledRecord& other) { return other.type == record.type; });
        heading += QStringLiteral(", %1 of %2").arg(record.occurrence).arg(of);
    }
    return heading;
}
