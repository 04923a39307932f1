#include "core/compare/CompareReport.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/report/ClaimListJson.h"
#include "core/report/JsonWriter.h"

namespace qm {

namespace {

const char* const kUnitMembers[] = {"file_headers", "batches", "claims", "lines"};
const char* const kUnitJson[] = {"file_header", "batch", "claim", "line"};
const char* const kUnitTitles[] = {"File headers", "Batches", "Claims", "Lines"};
// The summary's order: claims, batches, file headers, lines.
const CompareUnit kSummaryOrder[] = {CompareUnit::Claim, CompareUnit::Batch,
                                     CompareUnit::FileHeader, CompareUnit::Line};

std::string_view withoutTrailingBlanks(std::string_view value) {
    const std::size_t end = value.find_last_not_of(' ');
    return value.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

// "A CA0967 in BA0645": where a unit is in one file.
std::string placeText(char file, CompareUnit unit, const UnitPlace& place, bool withBatch) {
    std::string text = std::string(1, file) + ' ' + place.key(unit);
    if (withBatch && place.batch >= 0)
        text += " in " + place.batchKey();
    return text;
}

void writePlace(JsonWriter& json, CompareUnit unit, const UnitPlace& place) {
    if (!place.present()) {
        json.null();
        return;
    }
    // A line has no file tree key: its number says where it is.
    json.beginObject().key("key");
    if (unit == CompareUnit::Line)
        json.null();
    else
        json.value(place.key(unit));
    json.key("batch");
    if (unit == CompareUnit::Claim && place.batch >= 0)
        json.value(place.batchKey());
    else
        json.null();
    json.key("text").fileString(place.text).key("line").value(place.line).endObject();
}

} // namespace

CompareReport::CompareReport(std::ostream& out, bool json, Side a, Side b,
                             FileComparison::Match match)
    : out_(out)
    , json_(json ? std::make_unique<ClaimListJson>(out, "differences") : nullptr)
    , a_(std::move(a))
    , b_(std::move(b))
    , match_(match) {
}

CompareReport::~CompareReport() = default;

std::string CompareReport::shownValue(std::string_view value, std::string_view other) {
    const std::string_view trimmed = withoutTrailingBlanks(value);
    // Blanks alone make the difference: show them.
    const bool keepBlanks = trimmed == withoutTrailingBlanks(other) && value != other;
    return '"' + FileText::toPrintable(keepBlanks ? value : trimmed) + '"';
}

void CompareReport::add(const Difference& difference) {
    if (json_)
        addJson(difference);
    else
        addText(difference);
}

void CompareReport::addText(const Difference& d) {
    const bool moved = d.kind == DifferenceKind::Moved;
    std::string line = std::string(kindWord(d.kind)) + ' ' + unitWord(d.unit) + "  ";
    if (d.a.present())
        line += placeText('A', d.unit, d.a, moved);
    if (d.a.present() && d.b.present())
        line += ", ";
    if (d.b.present())
        line += placeText('B', d.unit, d.b, moved);
    for (const std::string* part : {&d.name, &d.number})
        if (!part->empty())
            line += "  " + FileText::toPrintable(*part);
    if (d.unit == CompareUnit::Line) {
        // The line itself, as each file has it.
        out_ << line << '\n';
        if (d.a.present())
            out_ << "    A: " << shownValue(d.a.text, d.b.present() ? d.b.text : d.a.text) << '\n';
        if (d.b.present())
            out_ << "    B: " << shownValue(d.b.text, d.a.present() ? d.a.text : d.b.text) << '\n';
        return;
    }
    if (d.a.present() && d.b.present())
        line += "  " + std::to_string(d.fields.size()) +
                (d.fields.size() == 1 ? " field differs" : " fields differ");
    out_ << line << '\n';
    for (const FieldChange& field : d.fields) {
        out_ << "    " << FileText::toPrintable(field.record) << ' '
             << FileText::toPrintable(field.fieldId) << ' '
             << FileText::toPrintable(trimSpaces(field.name));
        if (!field.otherName.empty())
            out_ << " (B: " << FileText::toPrintable(trimSpaces(field.otherName)) << ')';
        out_ << ": " << (field.inA ? shownValue(field.a, field.b) : "(no record)") << " -> "
             << (field.inB ? shownValue(field.b, field.a) : "(no record)") << '\n';
    }
}

void CompareReport::addJson(const Difference& d) {
    JsonWriter& json = json_->nextClaim();
    json.beginObject()
        .key("kind")
        .value(kindWord(d.kind))
        .key("unit")
        .value(kUnitJson[static_cast<int>(d.unit)])
        .key("a");
    writePlace(json, d.unit, d.a);
    json.key("b");
    writePlace(json, d.unit, d.b);
    json.key("name").fileString(d.name).key("number").fileString(d.number).key("fields");
    json.beginArray();
    for (const FieldChange& field : d.fields) {
        json.beginObject()
            .key("record")
            .fileString(field.record)
            .key("id")
            .fileString(field.fieldId)
            .key("name")
            .fileString(field.name)
            .key("other_name");
        if (field.otherName.empty())
            json.null();
        else
            json.fileString(field.otherName);
        json.key("a");
        if (field.inA)
            json.fileString(field.a);
        else
            json.null();
        json.key("b");
        if (field.inB)
            json.fileString(field.b);
        else
            json.null();
        json.endObject();
    }
    json.endArray().endObject();
}

void CompareReport::finish(const FileComparison::Summary& summary) {
    if (json_) {
        for (const auto& [name, side] : {std::make_pair("a", &a_), std::make_pair("b", &b_)}) {
            JsonWriter file(json_->member(name));
            file.beginObject()
                .key("file")
                .value(side->path)
                .key("version")
                .fileString(side->version)
                .endObject();
        }
        JsonWriter(json_->member("match"))
            .value(match_ == FileComparison::Match::Position ? "position" : "pcn");
        JsonWriter& json = json_->summary();
        json.beginObject();
        for (int unit = 0; unit < kCompareUnitCount; ++unit) {
            const auto& kinds = summary.differences[static_cast<std::size_t>(unit)];
            json.key(kUnitMembers[unit])
                .beginObject()
                .key("a")
                .value(summary.unitsA[static_cast<std::size_t>(unit)])
                .key("b")
                .value(summary.unitsB[static_cast<std::size_t>(unit)]);
            for (int kind = 0; kind < kDifferenceKindCount; ++kind)
                json.key(kindWord(DifferenceKind(kind))).value(kinds[std::size_t(kind)]);
            json.endObject();
        }
        json.key("differences")
            .value(summary.total())
            .key("changed_a")
            .value(summary.changedA)
            .key("changed_b")
            .value(summary.changedB)
            .endObject();
        json_->end();
        return;
    }
    for (const CompareUnit shown : kSummaryOrder) {
        const int unit = static_cast<int>(shown);
        const auto& kinds = summary.differences[static_cast<std::size_t>(unit)];
        out_ << kUnitTitles[unit] << ": A " << summary.unitsA[std::size_t(unit)] << ", B "
             << summary.unitsB[std::size_t(unit)];
        // Only claims move: a batch or file header that pairs is the same one.
        const int kindsShown = shown == CompareUnit::Claim ? kDifferenceKindCount : 3;
        for (int kind = 0; kind < kindsShown; ++kind)
            out_ << (kind ? ", " : "; ") << kindWord(DifferenceKind(kind)) << ' '
                 << kinds[std::size_t(kind)];
        out_ << '\n';
    }
    if (summary.total() == 0)
        out_ << "The files hold the same claims with the same values.\n";
    else
        out_ << "Differences: " << summary.total() << '\n';
}

} // namespace qm
