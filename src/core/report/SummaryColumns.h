#pragma once

#include "core/check/FileStatistics.h"

#include <cstdint>
#include <string>

namespace qm {

class JsonWriter;

// The figures of a file summary as its text and JSON write them: money,
// counts and columns, and a batch's line and object, which the report and its
// batch rows both write.
class SummaryColumns {
public:
    // A sum as money: "$1,234.56", or "too large to add up".
    static std::string money(const FileStatistics::Sum& sum);
    // Whole dollars without their cents.
    static std::string dollars(std::int64_t cents);
    // A text right-aligned in width characters.
    static std::string right(const std::string& text, std::size_t width);
    static std::string count(std::int64_t n);
    static void moneyValue(JsonWriter& json, const FileStatistics::Sum& sum);
    // The members of a batch, provider or file's money, under the given names.
    static void moneyMembers(JsonWriter& json, const FileStatistics::Money& sums,
                             const char* charges, const char* lineCharges);
    static std::string moneyColumns(const FileStatistics::Money& sums);
    // A batch's line of the text's table, and its object of the JSON.
    static void batchLine(std::string& out, const FileStatistics::Batch& batch);
    static void batchObject(JsonWriter& json, const FileStatistics::Batch& batch);
};

} // namespace qm
