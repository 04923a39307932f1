#include "core/report/SummaryColumns.h"

#include "core/common/FileText.h"
#include "core/layouts/FieldFormat.h"
#include "core/report/JsonWriter.h"
#include "core/report/ReportText.h"

#include <string_view>

namespace qm {

namespace {

const std::string_view kTooLarge = "too large to add up";

} // namespace

std::string SummaryColumns::money(const FileStatistics::Sum& sum) {
    return sum.tooLarge() ? std::string(kTooLarge) : FieldFormat::money(sum.cents());
}

std::string SummaryColumns::dollars(std::int64_t cents) {
    std::string text = FieldFormat::money(cents);
    if (cents % 100 == 0)
        text.resize(text.size() - 3);
    return text;
}

std::string SummaryColumns::right(const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string SummaryColumns::count(std::int64_t n) {
    return std::to_string(n);
}

void SummaryColumns::moneyValue(JsonWriter& json, const FileStatistics::Sum& sum) {
    if (sum.tooLarge())
        json.null();
    else
        json.value(sum.cents());
}

void SummaryColumns::moneyMembers(JsonWriter& json, const FileStatistics::Money& sums,
                                  const char* charges, const char* lineCharges) {
    json.key(charges);
    moneyValue(json, sums.charges);
    json.key(lineCharges);
    moneyValue(json, sums.lineCharges);
    json.key("claims_without_xa0").value(sums.claimsWithoutXa0);
}

std::string SummaryColumns::moneyColumns(const FileStatistics::Money& sums) {
    return right(money(sums.charges), 18) + right(money(sums.lineCharges), 18) +
           right(count(sums.claimsWithoutXa0), 8);
}

void SummaryColumns::batchLine(std::string& out, const FileStatistics::Batch& b) {
    out += "  ";
    out += right(count(b.index + 1), 6);
    out += "  ";
    out += ReportText::padded(FileText::toPrintable(b.text), 40);
    out += right(count(b.claims), 9);
    out += right(count(b.serviceLines), 9);
    out += moneyColumns(b.money);
    out += right(count(b.problems), 10);
    out += '\n';
}

void SummaryColumns::batchObject(JsonWriter& json, const FileStatistics::Batch& b) {
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
        .value(b.records);
    moneyMembers(json, b.money, "charges", "line_charges");
    json.key("problems").value(b.problems).endObject();
}

} // namespace qm
