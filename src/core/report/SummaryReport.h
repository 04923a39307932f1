#pragma once

#include "core/check/FileStatistics.h"

#include <cstddef>
#include <ostream>
#include <string>

namespace qm {

// A file's statistics written out: as text tables, or as one JSON document
// for scripts (amounts in cents).
class SummaryReport {
public:
    static void write(std::ostream& out, const FileStatistics& statistics, bool json);

    // A bin of the claim charge distribution: "under $100", "$100 to $250",
    // "$25,000 and over".
    static std::string binLabel(std::size_t bin);
    // A month of service: "2024-01".
    static std::string monthLabel(const FileStatistics::Month& month);

private:
    static void writeText(std::ostream& out, const FileStatistics& statistics);
    static void writeJson(std::ostream& out, const FileStatistics& statistics);
};

} // namespace qm
