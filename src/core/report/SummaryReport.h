#pragma once

#include "core/check/FileStatistics.h"

#include <cstddef>
#include <ostream>
#include <string>

namespace qm {

class JsonWriter;
class SummaryBatchRows;

// A file's statistics written out: as text tables, or as one JSON document
// for scripts (amounts in cents; a sum too large to add up in 64 bits is
// "too large to add up" in text and null in JSON).
class SummaryReport {
public:
    // The batches come from rows, which the check filled with every batch;
    // without it, from the statistics' perBatch. False when rows could not
    // be read back.
    static bool write(std::ostream& out, const FileStatistics& statistics, bool json,
                      SummaryBatchRows* rows = nullptr);

    // A bin of the claim charge distribution: "under $100", "$100 to $250",
    // "$25,000 and over".
    static std::string binLabel(std::size_t bin);
    // A month of service: "2024-01".
    static std::string monthLabel(const FileStatistics::Month& month);
    // A sum as money: "$1,234.56", or "too large to add up".
    static std::string money(const FileStatistics::Sum& sum);

private:
    static bool writeText(std::ostream& out, const FileStatistics& statistics,
                          SummaryBatchRows& rows);
    static bool writeJson(std::ostream& out, const FileStatistics& statistics,
                          SummaryBatchRows& rows);
};

} // namespace qm
