#pragma once

#include "core/compare/UnitScanner.h"
#include "core/io/SequentialFile.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace qm {

// The lines one unit holds that no unit shows (see UnitScanner), read again
// from its file one at a time, in the order the comparison's reading met
// them: for the few units whose digests of such lines differ, so that what
// differs can be told line by line without keeping any line until then.
class UnitLines {
public:
    // One such line, with what it is and where, in words.
    struct Line {
        UnshownLine::Why why = UnshownLine::Record;
        std::int64_t line = 0;
        std::int64_t position = 0;
        std::string text; // up to 64 KiB
        std::uint64_t digest = 0;
        std::string what; // "an EA0 replaced by a later one in claim CA0967"
    };

    // The lines of `unit` (read from its scanFrom on), or with a null unit
    // those outside every file header (read from the file's start).
    UnitLines(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
              std::uint64_t seed, const StreamUnit* unit);
    ~UnitLines();

    // The next line; false after the last.
    bool next(Line& line);

    // What a line no unit shows is, and where: "a line too short to be a
    // record in batch BA0645, outside its claims".
    static std::string describe(const UnshownLine& line);

private:
    class Collector;

    SequentialFile file_;
    std::unique_ptr<Collector> collector_;
    std::unique_ptr<UnitScanner> scanner_;
    bool ended_ = false;
};

} // namespace qm
