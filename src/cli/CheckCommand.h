#pragma once

#include <ostream>
#include <string>

namespace qm::cli {

class ClaimFile;
class PdfOption;

// `check FILE`: every claim's verdict in tree order (the same verdicts
// clicking every claim would give), every batch's and the file's trailer
// balance and the file's structure, from one pass over the file, with every
// problem a row; then a summary. With a filter (--filter), only the claims
// it chooses and their problems, beside the file's and the batches' own.
// With --pdf, the problem rows are kept as the viewer keeps them and printed
// as its Problems window prints them, to a PDF file. Claims are weighed by
// the file's rules too; their warnings and notes fail the check only when
// strict.
class CheckCommand {
public:
    static int run(ClaimFile& file, bool json, bool problemsOnly, const std::string& filter,
                   int jobs, bool strict, const PdfOption& pdf, std::ostream& out,
                   std::ostream& err);
};

} // namespace qm::cli
