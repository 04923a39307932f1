#include "core/filter/ClaimListReport.h"

#include "core/common/FileText.h"
#include "core/filetree/FileTree.h"
#include "core/layouts/FieldFormat.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/report/ClaimListJson.h"
#include "core/report/CsvWriter.h"
#include "core/report/ReportText.h"
#include "core/search/SearchPlan.h"

namespace qm {

namespace {

// Column widths of the text: a key of a file of terabytes, a patient's name
// and a control number as the node text gives them, a provider by name.
constexpr std::size_t kKey = 16, kPatient = 34, kControlNumber = 19, kProvider = 53;
constexpr std::size_t kDate = 13, kLines = 7, kAmount = 15, kProblems = 10;

std::string key(std::string_view type, std::int64_t position) {
    char text[FileTree::kKeyRoom];
    return std::string(text, FileTree::writeKey(text, type, position));
}

std::string rightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? " " + text : std::string(width - text.size(), ' ') + text;
}

// A whole number with `places` implied decimal places, as a plain number: 1600.50.
std::string decimal(std::int64_t number, int places) {
    const std::uint64_t magnitude =
        number < 0 ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number);
    std::string digits = std::to_string(magnitude);
    if (places > 0) {
        if (digits.size() <= std::size_t(places))
            digits.insert(0, std::size_t(places) + 1 - digits.size(), '0');
        digits.insert(digits.size() - std::size_t(places), 1, '.');
    }
    return (number < 0 ? "-" : "") + digits;
}

} // namespace

ClaimListReport::ClaimListReport(std::ostream& out, Format format,
                                 std::shared_ptr<const LayoutCatalogue> layouts)
    : format_(format)
    , layouts_(std::move(layouts))
    , text_(out)
    , fa0_(recordTypeIndex("FA0"))
    , xa0_(recordTypeIndex("XA0"))
    , lineCharges_(layouts_->at(fa0_).indexOf("13.0"))
    , statedField_(layouts_->at(xa0_).indexOf("12.0")) {
    if (format_ == Format::Json) {
        json_ = std::make_unique<ClaimListJson>(out);
    } else if (format_ == Format::Csv) {
        csv_ = std::make_unique<CsvWriter>(out, std::initializer_list<std::string_view>{
                                                    "Key", "Patient", "Control Number", "Provider",
                                                    "First Date of Service", "Lines",
                                                    "Stated Total", "Lines' Total", "Problems"});
    } else {
        std::string& line = text_.text();
        line = ReportText::padded("Key", kKey) + ReportText::padded("Patient", kPatient) +
               ReportText::padded("Control Number", kControlNumber) +
               ReportText::padded("Provider", kProvider) + rightAligned("First Service", kDate) +
               rightAligned("Lines", kLines) + rightAligned("Stated Total", kAmount) +
               rightAligned("Lines' Total", kAmount) + rightAligned("Problems", kProblems) + '\n';
        text_.done();
    }
}

ClaimListReport::~ClaimListReport() = default;

std::string ClaimListReport::date(std::int32_t ccyymmdd) {
    return ccyymmdd ? FieldFormat::date(ccyymmdd) : std::string();
}

std::string ClaimListReport::amount(std::int64_t number, int type, int field, bool csv) const {
    const RecordLayout& layout = layouts_->at(type);
    if (!csv) {
        const std::string shown = layout.format(field).shownNumber(number);
        return shown.empty() ? std::to_string(number) : shown;
    }
    const auto unit = SearchPlan::unitOf(layout, field);
    return decimal(number, unit == NumberText::Unit::Cents    ? 2
                           : unit == NumberText::Unit::Tenths ? 1
                                                              : 0);
}

std::string ClaimListReport::statedTotal(const ClaimListRow& row, bool csv) const {
    return row.hasStatedTotal ? amount(row.statedTotal, xa0_, statedField_, csv) : std::string();
}

std::string ClaimListReport::linesTotal(const ClaimListRow& row, bool csv) const {
    return lineCharges_ < 0 ? std::string() : amount(row.linesTotal, fa0_, lineCharges_, csv);
}

void ClaimListReport::row(const ClaimListRow& row) {
    if (csv_) {
        csv_->field(key("CA0", row.position))
            .fileField(row.patient)
            .fileField(row.controlNumber)
            .fileField(row.provider)
            .field(date(row.firstService))
            .field(std::int64_t(row.lines))
            .field(statedTotal(row, true))
            .field(linesTotal(row, true))
            .field(std::int64_t(row.problems))
            .endRow();
        return;
    }
    if (json_) {
        JsonWriter& json = json_->nextClaim();
        json.beginObject().key("key").value(key("CA0", row.position)).key("batch");
        if (row.batchPosition < 0)
            json.null();
        else
            json.value(key("BA0", row.batchPosition));
        json.key("patient")
            .fileString(row.patient)
            .key("control_number")
            .fileString(row.controlNumber)
            .key("provider")
            .fileString(row.provider)
            .key("first_service");
        if (row.firstService)
            json.value(date(row.firstService));
        else
            json.null();
        json.key("lines").value(std::int64_t(row.lines)).key("stated_total");
        if (row.hasStatedTotal)
            json.value(row.statedTotal);
        else
            json.null();
        json.key("lines_total")
            .value(row.linesTotal)
            .key("problems")
            .value(std::int64_t(row.problems))
            .endObject();
        return;
    }
    std::string& line = text_.text();
    line += ReportText::padded(key("CA0", row.position), kKey);
    line += ReportText::padded(FileText::toPrintable(row.patient), kPatient);
    line += ReportText::padded(FileText::toPrintable(row.controlNumber), kControlNumber);
    line += ReportText::padded(FileText::toPrintable(row.provider), kProvider);
    line += rightAligned(date(row.firstService), kDate);
    line += rightAligned(std::to_string(row.lines), kLines);
    line += rightAligned(statedTotal(row, false), kAmount);
    line += rightAligned(linesTotal(row, false), kAmount);
    line += rightAligned(std::to_string(row.problems), kProblems);
    line += '\n';
    text_.done();
}

void ClaimListReport::finish(std::int64_t listed, std::int64_t claims, const std::string& filter) {
    if (csv_) {
        csv_.reset();
        return;
    }
    if (json_) {
        std::ostream& out = json_->member("filter");
        if (filter.empty())
            out << "null";
        else {
            std::string text;
            JsonWriter::appendString(text, FileText::pathToUtf8(filter));
            out << text;
        }
        json_->summary()
            .beginObject()
            .key("claims")
            .value(listed)
            .key("claims_in_file")
            .value(claims)
            .endObject();
        json_->end();
        return;
    }
    std::string& line = text_.text();
    line += "Claims: " + std::to_string(listed);
    if (!filter.empty())
        line += " of " + std::to_string(claims) + " match the filter";
    line += '\n';
    text_.flush();
}

} // namespace qm
