#pragma once

#include <ostream>
#include <string>

namespace qm::cli {

class ClaimFile;

// `list FILE [--filter EXPR]`: the claim list, one row a claim in tree order
// (key, patient, control number, provider, first date of service, lines,
// stated total, lines' total, problems), the claims the filter chooses, as
// text, JSON or CSV; gathered by the whole-file check's one pass.
class ListCommand {
public:
    enum class Format { Text, Json, Csv };
    static int run(ClaimFile& file, Format format, const std::string& filter, int jobs,
                   std::ostream& out, std::ostream& err);
};

} // namespace qm::cli
