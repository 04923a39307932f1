#pragma once

#include "core/common/Progress.h"
#include "core/compare/Difference.h"
#include "core/layouts/LayoutCatalogue.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace qm {

class SequentialFile;

// Compares two claim files, each read with the layouts of its own version:
// which file headers, batches and claims only one of them has, and which
// fields differ in those both have; and, so that files whose lines differ
// never compare the same, each line that differs where no field shows it
// (see CompareUnit::Line). Both files are read once, front to back, at the
// same time, each on a thread of its own; units pair as soon as both have
// come, and their differences are handed on at once, those only one file
// has at the end. Units waiting for their partner keep their key and
// place; their records are let go beyond a memory budget and read again
// when the partner comes, and beyond a second budget whole keys of them
// wait in a temporary file (UnitSpill), so that memory stays bounded
// however many units never find a partner.
class FileComparison {
public:
    // How claims pair: by control number (CA0 03.0) with the batch's
    // provider (BA0 02.0), duplicates in the order they come, or by order alone.
    enum class Match { ControlNumber, Position };

    struct Options {
        Match match = Match::ControlNumber;
        // Called on the calling thread with bytes read of both files' bytes;
        // returning false cancels.
        Progress progress;
        // Records of units waiting for their partner kept in memory, at most.
        std::size_t keptBytes = std::size_t(48) << 20;
        // Units waiting for their partner kept in memory, their records
        // aside, at most; beyond, they wait in a temporary file.
        std::size_t waitingBytes = std::size_t(48) << 20;
        // Memory for sorting what waits in the temporary file, and the units
        // only one file has once any did.
        std::size_t sortBytes = std::size_t(16) << 20;
    };

    struct File {
        const SequentialFile& file;
        std::shared_ptr<const LayoutCatalogue> layouts;
    };

    struct Summary {
        // How many of each unit each file has (of lines, all of them).
        std::array<std::int64_t, kCompareUnitCount> unitsA{}; // by CompareUnit
        std::array<std::int64_t, kCompareUnitCount> unitsB{};
        // Differences by CompareUnit, then DifferenceKind.
        std::array<std::array<std::int64_t, kDifferenceKindCount>, kCompareUnitCount> differences{};
        bool cancelled = false;
        // A file changed (or could not be read as it was) while it was read:
        // what was compared may be neither the old file nor the new.
        bool changedA = false;
        bool changedB = false;
        // The temporary file of the units that waited outside memory could
        // not be read back whole: some differences may be missing.
        bool incomplete = false;

        std::int64_t count(CompareUnit unit) const;
        std::int64_t total() const;
    };

    // Compares the files behind a and b (read through readers of their own).
    // onDifference gets each difference on the calling thread, in an order
    // that depends only on the two files.
    static Summary run(const File& a, const File& b, const Options& options,
                       const std::function<void(Difference&&)>& onDifference);
};

} // namespace qm
