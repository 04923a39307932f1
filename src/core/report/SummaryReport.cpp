#include "core/report/SummaryReport.h"

#include "core/check/ProblemWords.h"
#include "core/common/FileText.h"
#include "core/layouts/FieldFormat.h"
#include "core/report/JsonWriter.h"
#include "core/report/ReportText.h"

#include <string_view>

namespace qm {

namespace {

// Whole dollars without their cents.
std::string dollars(std::int64_t cents) {
    std::string text = FieldFormat::money(cents);
    if (cents % 100 == 0)
        text.resize(text.size() - 3);
    return text;
}

// A number right-aligned in width characters.
std::string right(const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string count(std::int64_t n) {
    return std::to_string(n);
}

void procedureTable(std::ostream& out, const char* title,
                    const std::vector<FileStatistics::Procedure>& procedures) {
    out << '\n' << title << '\n';
    if (procedures.empty()) {
        out << "  none\n";
        return;
    }
    out << "  " << ReportText::padded("Code", 8) << right("Lines", 10) << right("Charges", 18)
        << '\n';
    for (const FileStatistics::Procedure& p : procedures)
        out << "  " << ReportText::padded(FileText::toPrintable(p.code), 8)
            << right(count(p.serviceLines), 10) << right(FieldFormat::money(p.charges), 18) << '\n';
}

void procedureArray(JsonWriter& json, const std::vector<FileStatistics::Procedure>& procedures) {
    json.beginArray();
    for (const FileStatistics::Procedure& p : procedures)
        json.beginObject()
            .key("code")
            .fileString(p.code)
            .key("service_lines")
            .value(p.serviceLines)
            .key("charges")
            .value(p.charges)
            .endObject();
    json.endArray();
}

} // namespace

std::string SummaryReport::binLabel(std::size_t bin) {
    const auto& edges = FileStatistics::kChargeEdges;
    if (bin == 0)
        return "under " + dollars(edges.front());
    if (bin >= edges.size())
        return dollars(edges.back()) + " and over";
    return dollars(edges[bin - 1]) + " to " + dollars(edges[bin]);
}

std::string SummaryReport::monthLabel(const FileStatistics::Month& month) {
    std::string text = std::to_string(month.year);
    text.insert(0, text.size() < 4 ? 4 - text.size() : 0, '0');
    text += month.month < 10 ? "-0" : "-";
    text += std::to_string(month.month);
    return text;
}

void SummaryReport::write(std::ostream& out, const FileStatistics& statistics, bool json) {
    if (json)
        writeJson(out, statistics);
    else
        writeText(out, statistics);
}

void SummaryReport::writeText(std::ostream& out, const FileStatistics& s) {
    const std::size_t w = 16;
    out << ReportText::padded("Batches", w) << count(s.batches) << '\n'
        << ReportText::padded("Claims", w) << count(s.claims) << '\n'
        << ReportText::padded("Service lines", w) << count(s.serviceLines) << '\n'
        << ReportText::padded("Records", w) << count(s.records) << '\n'
        << ReportText::padded("Total charges", w) << FieldFormat::money(s.charges) << '\n'
        << ReportText::padded("Problems", w) << count(s.problems) << '\n';

    out << "\nBatches\n";
    out << "  " << right("#", 6) << "  " << ReportText::padded("Provider", 40) << right("Claims", 9)
        << right("Lines", 9) << right("Charges", 18) << right("Problems", 10) << '\n';
    for (const FileStatistics::Batch& b : s.perBatch)
        out << "  " << right(count(b.index + 1), 6) << "  "
            << ReportText::padded(FileText::toPrintable(b.text), 40) << right(count(b.claims), 9)
            << right(count(b.serviceLines), 9) << right(FieldFormat::money(b.charges), 18)
            << right(count(b.problems), 10) << '\n';

    out << "\nProviders\n";
    for (const FileStatistics::Provider& p : s.providers)
        out << "  " << ReportText::padded(FileText::toPrintable(p.text), 48)
            << right(count(p.batches) + (p.batches == 1 ? " batch" : " batches"), 13)
            << right(count(p.claims) + (p.claims == 1 ? " claim" : " claims"), 14)
            << right(FieldFormat::money(p.charges), 18) << '\n';

    out << "\nClaims by month of service\n";
    for (const FileStatistics::Month& m : s.months)
        out << "  " << ReportText::padded(monthLabel(m), 22) << right(count(m.claims), 10) << '\n';
    if (s.claimsWithoutDate > 0)
        out << "  " << ReportText::padded("no date of service", 22)
            << right(count(s.claimsWithoutDate), 10) << '\n';

    out << "\nClaim charges\n";
    for (std::size_t bin = 0; bin < s.chargeBins.size(); ++bin)
        out << "  " << ReportText::padded(binLabel(bin), 22) << right(count(s.chargeBins[bin]), 10)
            << '\n';
    if (s.claimsWithoutCharges > 0)
        out << "  " << ReportText::padded("no XA0 12.0", 22)
            << right(count(s.claimsWithoutCharges), 10) << '\n';

    out << "\nProblems by kind\n";
    if (s.problems == 0)
        out << "  none\n";
    for (int k = 0; k < Problem::kKindCount; ++k)
        if (s.problemsByKind[std::size_t(k)] > 0)
            out << "  "
                << ReportText::padded(std::string(ProblemWords::kindName(Problem::Kind(k))), 40)
                << right(count(s.problemsByKind[std::size_t(k)]), 10) << '\n';

    procedureTable(out, "Top procedure codes by service lines", s.topByLines);
    procedureTable(out, "Top procedure codes by charges", s.topByCharges);
}

void SummaryReport::writeJson(std::ostream& out, const FileStatistics& s) {
    JsonWriter json(out, true);
    json.beginObject()
        .key("batches")
        .value(s.batches)
        .key("claims")
        .value(s.claims)
        .key("service_lines")
        .value(s.serviceLines)
        .key("records")
        .value(s.records)
        .key("total_charges")
        .value(s.charges)
        .key("problems")
        .value(s.problems);

    json.key("problems_by_kind").beginObject();
    for (int k = 0; k < Problem::kKindCount; ++k)
        json.key(ProblemWords::kindKey(Problem::Kind(k))).value(s.problemsByKind[std::size_t(k)]);
    json.endObject();

    json.key("per_batch").beginArray();
    for (const FileStatistics::Batch& b : s.perBatch)
        json.beginObject()
            .key("key")
            .value("BA0" + std::to_string(b.position))
            .key("text")
            .fileString(b.text)
            .key("claims")
            .value(b.claims)
            .key("service_lines")
            .value(b.serviceLines)
            .key("records")
            .value(b.records)
            .key("charges")
            .value(b.charges)
            .key("problems")
            .value(b.problems)
            .endObject();
    json.endArray();

    json.key("providers").beginArray();
    for (const FileStatistics::Provider& p : s.providers)
        json.beginObject()
            .key("text")
            .fileString(p.text)
            .key("batches")
            .value(p.batches)
            .key("claims")
            .value(p.claims)
            .key("charges")
            .value(p.charges)
            .endObject();
    json.endArray();

    json.key("claims_by_month").beginArray();
    for (const FileStatistics::Month& m : s.months)
        json.beginObject()
            .key("month")
            .value(monthLabel(m))
            .key("claims")
            .value(m.claims)
            .endObject();
    json.endArray();
    json.key("claims_without_date").value(s.claimsWithoutDate);

    json.key("claim_charges").beginArray();
    for (std::size_t bin = 0; bin < s.chargeBins.size(); ++bin) {
        json.beginObject().key("from");
        if (bin == 0)
            json.null();
        else
            json.value(FileStatistics::kChargeEdges[bin - 1]);
        json.key("below");
        if (bin < FileStatistics::kChargeEdges.size())
            json.value(FileStatistics::kChargeEdges[bin]);
        else
            json.null();
        json.key("claims").value(s.chargeBins[bin]).endObject();
    }
    json.endArray();
    json.key("claims_without_charges").value(s.claimsWithoutCharges);

    json.key("top_procedures_by_lines");
    procedureArray(json, s.topByLines);
    json.key("top_procedures_by_charges");
    procedureArray(json, s.topByCharges);
    json.key("procedure_codes").value(s.procedureCodes);
    json.key("service_lines_of_uncounted_codes").value(s.linesOfUncountedCodes);
    json.endObject();
    out << '\n';
}

} // namespace qm
