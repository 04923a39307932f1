#include "core/report/SummaryReport.h"

#include "core/check/ProblemWords.h"
#include "core/common/FileText.h"
#include "core/layouts/FieldFormat.h"
#include "core/report/JsonWriter.h"
#include "core/report/ReportText.h"
#include "core/report/SummaryBatchRows.h"
#include "core/report/SummaryColumns.h"

#include <string_view>

namespace qm {

namespace {

void procedureTable(std::ostream& out, const char* title, const FileStatistics& s,
                    const std::vector<FileStatistics::Procedure>& procedures) {
    out << '\n' << title << (s.topProceduresApproximate ? " (approximate)" : "") << '\n';
    if (procedures.empty()) {
        out << "  none\n";
        return;
    }
    out << "  " << ReportText::padded("Code", 8) << SummaryColumns::right("Lines", 10)
        << SummaryColumns::right("Charges", 18) << '\n';
    for (const FileStatistics::Procedure& p : procedures)
        out << "  " << ReportText::padded(FileText::toPrintable(p.code), 8)
            << SummaryColumns::right(SummaryColumns::count(p.serviceLines), 10)
            << SummaryColumns::right(SummaryReport::money(p.charges), 18) << '\n';
}

void procedureArray(JsonWriter& json, const std::vector<FileStatistics::Procedure>& procedures) {
    json.beginArray();
    for (const FileStatistics::Procedure& p : procedures) {
        json.beginObject()
            .key("code")
            .fileString(p.code)
            .key("service_lines")
            .value(p.serviceLines)
            .key("charges");
        SummaryColumns::moneyValue(json, p.charges);
        json.endObject();
    }
    json.endArray();
}

void headline(std::ostream& out, const FileStatistics& s) {
    const std::size_t w = 20;
    out << ReportText::padded("Batches", w) << SummaryColumns::count(s.batches) << '\n'
        << ReportText::padded("Claims", w) << SummaryColumns::count(s.claims) << '\n'
        << ReportText::padded("Service lines", w) << SummaryColumns::count(s.serviceLines) << '\n'
        << ReportText::padded("Records", w) << SummaryColumns::count(s.records) << '\n'
        << ReportText::padded("Claim charges", w) << SummaryReport::money(s.money.charges)
        << "  (XA0 12.0, as the claims state them)\n"
        << ReportText::padded("Line charges", w) << SummaryReport::money(s.money.lineCharges)
        << "  (FA0 13.0, as the trailers add them up)\n"
        << ReportText::padded("Claims without XA0", w)
        << SummaryColumns::count(s.money.claimsWithoutXa0) << '\n'
        << ReportText::padded("Problems", w) << SummaryColumns::count(s.problems) << '\n';
}

void providerTable(std::ostream& out, const FileStatistics& s) {
    out << "\nProviders\n";
    out << "  " << ReportText::padded("Provider", 40) << SummaryColumns::right("Batches", 9)
        << SummaryColumns::right("Claims", 9) << SummaryColumns::right("Claim charges", 18)
        << SummaryColumns::right("Line charges", 18) << SummaryColumns::right("No XA0", 8) << '\n';
    auto row = [&out](const std::string& name, const FileStatistics::Provider& p) {
        out << "  " << ReportText::padded(name, 40)
            << SummaryColumns::right(SummaryColumns::count(p.batches), 9)
            << SummaryColumns::right(SummaryColumns::count(p.claims), 9)
            << SummaryColumns::moneyColumns(p.money) << '\n';
    };
    for (const FileStatistics::Provider& p : s.providers)
        row(FileText::toPrintable(p.text), p);
    if (s.otherProviders.batches > 0)
        row("(providers past the first " + SummaryColumns::count(std::int64_t(s.providers.size())) +
                ")",
            s.otherProviders);
}

void distributionTables(std::ostream& out, const FileStatistics& s) {
    out << "\nClaims by month of service\n";
    for (const FileStatistics::Month& m : s.months)
        out << "  " << ReportText::padded(SummaryReport::monthLabel(m), 24)
            << SummaryColumns::right(SummaryColumns::count(m.claims), 10) << '\n';
    if (s.claimsWithoutDate > 0)
        out << "  " << ReportText::padded("no valid date of service", 24)
            << SummaryColumns::right(SummaryColumns::count(s.claimsWithoutDate), 10) << '\n';

    out << "\nClaims by charges (XA0 12.0)\n";
    for (std::size_t bin = 0; bin < s.chargeBins.size(); ++bin)
        out << "  " << ReportText::padded(SummaryReport::binLabel(bin), 24)
            << SummaryColumns::right(SummaryColumns::count(s.chargeBins[bin]), 10) << '\n';
    if (s.claimsWithoutCharges > 0)
        out << "  " << ReportText::padded("no XA0 12.0", 24)
            << SummaryColumns::right(SummaryColumns::count(s.claimsWithoutCharges), 10) << '\n';

    out << "\nProblems by kind\n";
    if (s.problems == 0)
        out << "  none\n";
    for (int k = 0; k < Problem::kKindCount; ++k)
        if (s.problemsByKind[std::size_t(k)] > 0)
            out << "  "
                << ReportText::padded(std::string(ProblemWords::kindName(Problem::Kind(k))), 40)
                << SummaryColumns::right(SummaryColumns::count(s.problemsByKind[std::size_t(k)]),
                                         10)
                << '\n';
}

// Claims by month and by charges, and the top procedure codes.
void distributionMembers(JsonWriter& json, const FileStatistics& s) {
    json.key("claims_by_month").beginArray();
    for (const FileStatistics::Month& m : s.months)
        json.beginObject()
            .key("month")
            .value(SummaryReport::monthLabel(m))
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
    json.key("more_procedure_codes").value(s.moreProcedureCodes);
    json.key("top_procedures_approximate").value(s.topProceduresApproximate);
}

} // namespace

std::string SummaryReport::money(const FileStatistics::Sum& sum) {
    return SummaryColumns::money(sum);
}

std::string SummaryReport::binLabel(std::size_t bin) {
    const auto& edges = FileStatistics::kChargeEdges;
    if (bin == 0)
        return "under " + SummaryColumns::dollars(edges.front());
    if (bin >= edges.size())
        return SummaryColumns::dollars(edges.back()) + " and over";
    return SummaryColumns::dollars(edges[bin - 1]) + " to " + SummaryColumns::dollars(edges[bin]);
}

std::string SummaryReport::monthLabel(const FileStatistics::Month& month) {
    std::string text = std::to_string(month.year);
    text.insert(0, text.size() < 4 ? 4 - text.size() : 0, '0');
    text += month.month < 10 ? "-0" : "-";
    text += std::to_string(month.month);
    return text;
}

bool SummaryReport::write(std::ostream& out, const FileStatistics& statistics, bool json,
                          SummaryBatchRows* rows) {
    SummaryBatchRows kept(json);
    if (!rows) {
        for (const FileStatistics::Batch& batch : statistics.perBatch)
            kept.batch(batch);
        rows = &kept;
    }
    return json ? writeJson(out, statistics, *rows) : writeText(out, statistics, *rows);
}

bool SummaryReport::writeText(std::ostream& out, const FileStatistics& s, SummaryBatchRows& rows) {
    headline(out, s);
    out << "\nBatches\n";
    out << "  " << SummaryColumns::right("#", 6) << "  " << ReportText::padded("Provider", 40)
        << SummaryColumns::right("Claims", 9) << SummaryColumns::right("Lines", 9)
        << SummaryColumns::right("Claim charges", 18) << SummaryColumns::right("Line charges", 18)
        << SummaryColumns::right("No XA0", 8) << SummaryColumns::right("Problems", 10) << '\n';
    const bool kept = rows.copyTo(out);
    providerTable(out, s);
    distributionTables(out, s);
    procedureTable(out, "Top procedure codes by service lines", s, s.topByLines);
    procedureTable(out, "Top procedure codes by charges", s, s.topByCharges);
    if (s.moreProcedureCodes)
        out << "\nMore than " << s.procedureCodes
            << " procedure codes: the lists' figures were counted again exactly"
            << (s.topProceduresApproximate ? ", but a code not listed may have as many as the last"
                                           : ", and no code not listed has as many as the last")
            << ".\n";
    return kept;
}

bool SummaryReport::writeJson(std::ostream& out, const FileStatistics& s, SummaryBatchRows& rows) {
    JsonWriter json(out, true);
    json.beginObject()
        .key("batches")
        .value(s.batches)
        .key("claims")
        .value(s.claims)
        .key("service_lines")
        .value(s.serviceLines)
        .key("records")
        .value(s.records);
    SummaryColumns::moneyMembers(json, s.money, "total_charges", "total_line_charges");
    json.key("problems").value(s.problems);

    json.key("problems_by_kind").beginObject();
    for (int k = 0; k < Problem::kKindCount; ++k)
        json.key(ProblemWords::kindKey(Problem::Kind(k))).value(s.problemsByKind[std::size_t(k)]);
    json.endObject();

    json.key("per_batch").beginArray();
    json.flush();
    const bool kept = rows.copyTo(out);
    json.endArray();

    auto provider = [&json](const FileStatistics::Provider& p) {
        json.key("batches").value(p.batches).key("claims").value(p.claims);
        SummaryColumns::moneyMembers(json, p.money, "charges", "line_charges");
    };
    json.key("providers").beginArray();
    for (const FileStatistics::Provider& p : s.providers) {
        json.beginObject().key("text").fileString(p.text);
        provider(p);
        json.endObject();
    }
    json.endArray();
    json.key("other_providers");
    if (s.otherProviders.batches > 0) {
        json.beginObject();
        provider(s.otherProviders);
        json.endObject();
    } else {
        json.null();
    }

    distributionMembers(json, s);
    json.endObject();
    json.flush();
    out << '\n';
    return kept;
}

} // namespace qm
