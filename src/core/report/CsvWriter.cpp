#include "core/report/CsvWriter.h"

#include "core/common/FileText.h"

#include <string>

namespace qm {

namespace {

// A number as a spreadsheet reads one: a sign, digits, a decimal point and
// more digits, with blanks around it (a field's padding).
bool isPlainNumber(std::string_view cell) {
    std::size_t i = 0;
    while (i < cell.size() && cell[i] == ' ')
        ++i;
    if (i < cell.size() && (cell[i] == '+' || cell[i] == '-'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < cell.size(); ++i) {
        if (cell[i] >= '0' && cell[i] <= '9')
            digits = true;
        else if (cell[i] == '.' && !point)
            point = true;
        else
            break;
    }
    while (i < cell.size() && cell[i] == ' ')
        ++i;
    return digits && i == cell.size();
}

// Spreadsheets run a cell that begins with =, +, - or @ as a formula, and some
// skip a leading tab or CR first: such a cell is written after an apostrophe,
// which makes it text. A plain number such as "-1575" stays a number.
bool readsAsFormula(std::string_view cell) {
    return !cell.empty() &&
           std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos &&
           !isPlainNumber(cell);
}

} // namespace

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
    const std::string_view neutraliser = readsAsFormula(utf8) ? "'" : "";
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        out_ << neutraliser << utf8;
        return *this;
    }
    out_ << '"' << neutraliser;
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
