#include "core/report/ClaimReport.h"

#include "core/claim/AssembledClaim.h"
#include "core/common/FileText.h"
#include "core/common/MessageTexts.h"
#include "core/common/TextUtil.h"
#include "core/report/CsvWriter.h"
#include "core/report/JsonWriter.h"
#include "core/report/ReportText.h"

#include <algorithm>

namespace qm {

namespace {

void writeMessage(JsonWriter& json, const Message& message) {
    json.beginObject()
        .key("text")
        .value(message.text)
        .key("title")
        .value(message.title)
        .key("icon")
        .value(iconName(message.icon))
        .endObject();
}

void writeRecordJson(JsonWriter& json, const AssembledRecord& record, const RecordLayout& layout) {
    static const JsonShape kRecord({"type", "occurrence", "line", "line_cut", "fields"});
    static const JsonShape kField(
        {"slot", "id", "name", "value", "shown", "valid", "codes", "start", "end", "length"});
    json.beginObject(kRecord)
        .fileString(record.type)
        .value(record.occurrence)
        .fileString(record.line)
        .value(record.lineCut)
        .beginArray();
    for (int i = 0; i < int(record.fields.size()); ++i) {
        const FieldDef& field = layout.field(i);
        json.beginObject(kField)
            .value(i + 1)
            .fileString(field.FieldId)
            .fileString(field.FieldName)
            .fileString(record.value(i));
        // As a person reads it, where the format file words it otherwise.
        const std::string shown = layout.format(i).shown(record.value(i));
        if (shown.empty())
            json.null();
        else
            json.value(shown);
        json.value(record.valid(i))
            .fileString(field.TypeCodes)
            .value(int(field.StartPos))
            .value(int(field.EndPos))
            .value(int(field.Length))
            .endObject();
    }
    json.endArray().endObject();
}

// The claim form's record tree, children under their parents in insertion order.
void writeNodes(std::ostream& out, const AssembledClaim& claim, const std::string& parent,
                int depth) {
    for (const ClaimNode& node : claim.nodes) {
        if (node.parent != parent)
            continue;
        out << std::string(std::size_t(2 + 2 * depth), ' ') << FileText::toPrintable(node.key)
            << '\n';
        writeNodes(out, claim, node.key, depth + 1);
    }
}

} // namespace

void ClaimReport::writeJson(JsonWriter& json, const AssembledClaim& claim, std::string_view key) {
    json.beginObject()
        .key("key")
        .fileString(key)
        .key("rt")
        .fileString(claim.clickedType)
        .key("totals_checked")
        .value(claim.totals.checked())
        .key("totals_ok")
        .value(claim.totals.state == TotalsState::Ok)
        .key("totals_state")
        .value(totalsStateName(claim.totals.state))
        .key("xa0_present")
        .value(claim.totals.xa0Present)
        .key("unreadable")
        .value(claim.unreadable)
        .key("comparisons")
        .beginArray();
    for (const TotalsComparison& comparison : claim.totals.compared) {
        ReportText::writeComparison(json, comparison, claim.layouts.get());
        json.key("match").value(comparison.match).endObject();
    }
    json.endArray().key("messages").beginArray();
    if (!claim.totals.ok())
        writeMessage(json, MessageTexts::totalsDoNotCompute());
    json.endArray().key("nodes").beginArray();
    static const JsonShape kNode({"key", "parent"});
    for (const ClaimNode& node : claim.nodes) {
        json.beginObject(kNode).fileString(node.key);
        if (node.parent.empty())
            json.null();
        else
            json.fileString(node.parent);
        json.endObject();
    }
    json.endArray().key("records").beginObject();
    for (const ClaimNode& node : claim.nodes) {
        const AssembledRecord* record = claim.record(node);
        const RecordLayout* layout = record ? claim.layout(*record) : nullptr;
        if (!layout)
            continue;
        json.key(FileText::toUtf8(node.key));
        writeRecordJson(json, *record, *layout);
    }
    json.endObject().endObject();
}

void ClaimReport::writeJsonDocument(
    std::ostream& out, const std::vector<std::string>& keys,
    const std::function<const AssembledClaim&(std::size_t)>& click) {
    out << "[\n";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const AssembledClaim& claim = click(i);
        if (i > 0)
            out << ",\n";
        JsonWriter writer(out, true);
        writeJson(writer, claim, keys[i]);
    }
    out << (keys.empty() ? "]\n" : "\n]\n");
}

void ClaimReport::writeJsonDocument(std::ostream& out, const AssembledClaim& claim,
                                    const std::string& key) {
    writeJsonDocument(out, {key}, [&claim](std::size_t) -> const AssembledClaim& { return claim; });
}

void ClaimReport::writeCsv(std::ostream& out, const AssembledClaim& claim) {
    CsvWriter csv(out, {"node", "record_type", "occurrence", "field", "name", "start", "end",
                        "value", "valid", "shown", "amount"});
    for (const ClaimNode& node : claim.nodes) {
        const AssembledRecord* record = claim.record(node);
        const RecordLayout* layout = record ? claim.layout(*record) : nullptr;
        if (!layout)
            continue;
        for (int i = 0; i < int(record->fields.size()); ++i) {
            const FieldDef& field = layout->field(i);
            csv.fileField(node.key)
                .fileField(record->type)
                .field(record->occurrence)
                .fileField(field.FieldId)
                .fileField(field.FieldName)
                .field(int(field.StartPos))
                .field(int(field.EndPos))
                .fileField(record->value(i))
                .field(record->valid(i));
            // As the form shows it, blanks around it aside; money also as a
            // number a spreadsheet sums.
            const std::string shown = layout->format(i).shown(record->value(i));
            if (shown.empty())
                csv.fileField(trimSpaces(record->value(i)));
            else
                csv.field(shown);
            csv.field(layout->format(i).amount(record->value(i))).endRow();
        }
    }
}

void ClaimReport::writeText(std::ostream& out, const AssembledClaim& claim, std::string_view key,
                            std::string_view nodeText) {
    out << "== " << FileText::toPrintable(key) << "  " << FileText::toPrintable(nodeText) << '\n';
    if (claim.totals.checked())
        out << "Totals: " << ReportText::totalsLine(claim.totals.state, claim.totals.mismatched())
            << '\n';
    if (claim.unreadable)
        out << "Unreadable: the claim's CA0 record is no longer where the file tree found it\n";
    out << "Records:\n";
    writeNodes(out, claim, std::string(), 0);
    for (const ClaimNode& node : claim.nodes) {
        const AssembledRecord* record = claim.record(node);
        const RecordLayout* layout = record ? claim.layout(*record) : nullptr;
        if (!layout)
            continue;
        out << '\n' << FileText::toPrintable(node.key) << '\n';
        if (record->lineCut)
            out << "  (line cut after " << record->line.size() << " characters)\n";
        std::size_t nameWidth = 4;
        for (const FieldDef& field : layout->fields())
            nameWidth = std::max(nameWidth, field.FieldName.size());
        out << "  No.   " << ReportText::padded("Name", nameWidth) << "  Value\n";
        for (int i = 0; i < layout->fieldCount(); ++i) {
            const FieldDef& field = layout->field(i);
            std::string row = record->valid(i) ? "  " : "* ";
            row += ReportText::padded(FileText::toPrintable(field.FieldId), 6);
            row += ReportText::padded(FileText::toPrintable(field.FieldName), nameWidth);
            row += "  ";
            row += FileText::toPrintable(record->value(i));
            // Trailing blanks are padding here; the JSON output keeps them.
            row.erase(row.find_last_not_of(' ') + 1);
            const std::string shown = layout->format(i).shown(record->value(i));
            if (!shown.empty())
                row += "  (" + FileText::printableUtf8(shown) + ')';
            out << row << '\n';
        }
    }
    out << '\n';
}

} // namespace qm
