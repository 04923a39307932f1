#pragma once

#include "GeneratorOptions.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nsfgen {

class CommandLine {
public:
    // Fills options from argv; false with a message in error when the
    // arguments are wrong. helpRequested is set for --help.
    static bool parse(int argc, char** argv, GeneratorOptions& options, bool& helpRequested,
                      std::string& error);
    static const char* usage();
    // "1G", "500M", "64K" (powers of 1024) or a plain byte count.
    static bool parseSize(std::string_view text, std::uint64_t& bytes);
};

} // namespace nsfgen
