#pragma once

namespace qm::cli {

// The filter language of --filter, for --help (UTF-8).
class FilterHelp {
public:
    static const char* text();
};

} // namespace qm::cli
