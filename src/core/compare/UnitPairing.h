#pragma once

#include "core/compare/FileComparison.h"
#include "core/compare/UnitComparer.h"
#include "core/compare/UnitSpill.h"
#include "core/compare/UnitStream.h"
#include "core/compare/WaitingUnits.h"
#include "core/io/SequentialFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace qm {

// Pairs the units of the two files of a comparison as they come, compares
// each pair, and hands on what differs: the pair's own row, then a row for
// each of their lines that differs where no field shows it.
class UnitPairing {
public:
    // goOn is asked now and then while what is left is worked through at
    // the end; false stops it.
    UnitPairing(const FileComparison::File& a, const FileComparison::File& b,
                const FileComparison::Options& options, std::uint64_t seed,
                FileComparison::Summary& summary,
                const std::function<void(Difference&&)>& onDifference, std::function<bool()> goOn);
    ~UnitPairing();

    // The next unit of file `side` (0: A, 1: B).
    void take(int side, StreamUnit&& unit);
    // Both files are read: what is left waiting is only in its file, and
    // the lines outside every file header are compared.
    void finish(const UnitStream::Counts& a, const UnitStream::Counts& b);

private:
    // Keeps the waiting units within their budgets: records let go, then
    // whole keys written out.
    void makeRoom();
    // What is left once both files are read, and what waited outside memory.
    void finishSpilled();
    void changed(int side);
    // A unit's records, read again when they were let go.
    void recall(int side, StreamUnit& unit, bool kept);
    void compare(StreamUnit& a, bool aKept, StreamUnit& b, bool bKept);
    // Rows for the records of a pair whose lines differ where no field shows it.
    void recordLines(const StreamUnit& a, const StreamUnit& b,
                     const std::vector<UnitComparer::UnseenLine>& unseen,
                     std::vector<Difference>& rows) const;
    // Rows for the lines two units (null: the files themselves) hold that
    // no unit shows, paired in the order they came.
    void unshownLines(const StreamUnit* a, const StreamUnit* b, std::vector<Difference>& rows);
    // Whether to go on with the end's work (asked of goOn once in a while).
    bool goingOn();
    void alone(int side, StreamUnit&& unit);
    void emit(Difference&& difference);

    UnitComparer comparer_;
    std::array<std::shared_ptr<const LayoutCatalogue>, 2> layouts_;
    std::array<const SequentialFile*, 2> files_;
    std::array<std::unique_ptr<SequentialFile>, 2> readers_;
    const FileComparison::Options& options_;
    const std::uint64_t seed_;
    FileComparison::Summary& summary_;
    const std::function<void(Difference&&)>& onDifference_;
    std::array<WaitingUnits, 2> waiting_;
    std::unique_ptr<UnitSpill> spill_; // once units wait outside memory
    std::uint64_t order_ = 0;
    const std::function<bool()> goOn_;
    std::uint64_t steps_ = 0;
    bool finishing_ = false;
    bool stopped_ = false;
};

} // namespace qm
