#pragma once

namespace qm::cli {

// --help's part on rules: the options, the integrity edits and how a rules
// file is written.
class RulesHelp {
public:
    static const char* text();
};

} // namespace qm::cli
