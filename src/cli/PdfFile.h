#pragma once

#include <QString>
#include <functional>
#include <ostream>
#include <string>

class QPdfWriter;

namespace qm::cli {

class PdfOption;

// A PDF of the command line, written as the viewer writes every file: whole
// or not at all, never over the claim file, a folder, a device or a pipe.
class PdfFile {
public:
    // Draws the pages on a writer set to the option's paper; false when it
    // could not (cancelled or failed).
    using Print = std::function<bool(QPdfWriter& writer)>;

    // Whether the PDF may be written where the option says, asked before
    // long work; false, with the reason on err, when it may not.
    static bool mayWrite(const PdfOption& option, const std::string& claimFile, std::ostream& err);
    // Writes it; false, with the reason on err, when it could not, and then
    // whatever stood at the path is as it was.
    static bool write(const PdfOption& option, const std::string& claimFile, const QString& title,
                      const Print& print, std::ostream& err);
};

} // namespace qm::cli
