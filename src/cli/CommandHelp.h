#pragma once

namespace qm::cli {

// The body of --help: the commands, the options, and what the output and
// the exit statuses mean (plain ASCII).
class CommandHelp {
public:
    static const char* text();
};

} // namespace qm::cli
