#pragma once

#include <QStringList>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace qm::cli {

class ClaimFile;
class PdfOption;

// `claim FILE KEY... [--pcn PCN]`: one node click per key, in order, then
// one per claim whose patient control number is pcn (case ignored; none
// when empty), in one session (the record store carries over from one
// click to the next), each printed as it is made; or, with --pdf, each on
// pages of its own in a PDF file, as the viewer prints its claim form.
class ClaimCommand {
public:
    static int run(ClaimFile& file, const QStringList& keys, const std::string& pcn, bool json,
                   const PdfOption& pdf, std::ostream& out, std::ostream& err);

private:
    static int writePdf(ClaimFile& file, const std::vector<std::int64_t>& nodes,
                        const PdfOption& pdf, std::ostream& err);
};

} // namespace qm::cli
