#pragma once

#include "core/filter/ClaimListRow.h"
#include "core/report/BlockOutput.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace qm {

class ClaimListJson;
class CsvWriter;
class LayoutCatalogue;

// The claim list written out as it comes, in file order: text in columns,
// one JSON document {"claims": [...], "filter", "summary"} or CSV with a
// header row. Money and dates read as people read them (text "$1,600.50"
// and "2003-03-01"; CSV 1600.50, a number); JSON gives the numbers as the
// fields store them (amounts in cents) and dates as "2003-03-01".
class ClaimListReport {
public:
    enum class Format { Text, Json, Csv };

    ClaimListReport(std::ostream& out, Format format,
                    std::shared_ptr<const LayoutCatalogue> layouts);
    ~ClaimListReport();

    void row(const ClaimListRow& row);
    // The count, with the filter that chose the claims (empty: none).
    void finish(std::int64_t listed, std::int64_t claims, const std::string& filter);

    // Column texts, as the text and CSV show them: the stated total (XA0
    // 12.0) and the lines' total (FA0 13.0) in their fields' formats, a
    // date CCYYMMDD as 2003-03-01 (empty for 0). csv: amounts as plain
    // numbers (1600.50).
    std::string statedTotal(const ClaimListRow& row, bool csv) const;
    std::string linesTotal(const ClaimListRow& row, bool csv) const;
    static std::string date(std::int32_t ccyymmdd);

private:
    std::string amount(std::int64_t number, int type, int field, bool csv) const;

    Format format_;
    std::shared_ptr<const LayoutCatalogue> layouts_;
    BlockOutput text_;
    std::unique_ptr<ClaimListJson> json_;
    std::unique_ptr<CsvWriter> csv_;
    const int fa0_, xa0_;
    const int lineCharges_, statedField_; // -1: the map lacks them
};

} // namespace qm
