#include "core/report/CsvWriter.h"

#include "core/common/FileText.h"

#include <string>

namespace qm {

CsvWriter::CsvWriter(std::ostream& out, std::initializer_list<std::string_view> header)
    : out_(out) {
    for (std::string_view name : header)
        field(name);
    endRow();
}

CsvWriter::CsvWriter(std::ostream& out, const std::vector<std::string>& header)
    : out_(out) {
    for (const std::string& name : header)
        field(name);
    endRow();
}

void CsvWriter::separate() {
    if (rowStarted_)
        out_ << ',';
    rowStarted_ = true;
}

CsvWriter& CsvWriter::field(std::string_view utf8) {
    separate();
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        out_ << utf8;
        return *this;
    }
    out_ << '"';
    for (char c : utf8) {
        if (c == '"')
            out_ << '"';
        out_ << c;
    }
    out_ << '"';
    return *this;
}

CsvWriter& CsvWriter::field(std::int64_t number) {
    separate();
    out_ << number;
    return *this;
}

CsvWriter& CsvWriter::fileField(std::string_view bytes) {
    return field(FileText::toUtf8(bytes));
}

void CsvWriter::endRow() {
    out_ << "\r\n";
    rowStarted_ = false;
}

} // namespace qm
