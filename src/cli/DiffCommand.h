#pragma once

#include <ostream>

namespace qm::cli {

class CommandLine;

// `diff A B`: the claims, batches and file headers only one file has and the
// fields that differ in those both have, as they are found, then a summary.
class DiffCommand {
public:
    static int run(const CommandLine& commandLine, std::ostream& out, std::ostream& err);
};

} // namespace qm::cli
