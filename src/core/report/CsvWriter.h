#pragma once

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Writes comma-separated values by RFC 4180: a header row first, every row
// ended by CR LF, and a field that holds a comma, a double quote, CR or LF
// enclosed in double quotes with its quotes doubled. Text is UTF-8; claim and
// map file bytes go through fileField, which decodes them by the file text rule.
// A text cell that a spreadsheet would run as a formula (it begins with =, +,
// -, @, tab or CR and is no plain number) is written after an apostrophe, so
// that no export can carry a formula from a claim file into a spreadsheet.
//
//   CsvWriter csv(out, {"node", "value"});
//   csv.field("CA0").fileField(bytes).endRow();
class CsvWriter {
public:
    CsvWriter(std::ostream& out, std::initializer_list<std::string_view> header);
    // The same for a header known only at run time (UTF-8 names).
    CsvWriter(std::ostream& out, const std::vector<std::string>& header);

    CsvWriter& field(std::string_view utf8);
    CsvWriter& field(const char* utf8) { return field(std::string_view(utf8)); }
    CsvWriter& field(std::int64_t number);
    CsvWriter& field(int number) { return field(std::int64_t(number)); }
    CsvWriter& field(bool flag) { return field(flag ? "true" : "false"); }
    CsvWriter& fileField(std::string_view bytes);
    void endRow();

private:
    void separate();

    std::ostream& out_;
    bool rowStarted_ = false;
};

} // namespace qm
