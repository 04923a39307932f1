#pragma once

#include "core/check/ChunkStatistics.h"
#include "core/check/FileStatistics.h"
#include "core/check/HeavyHitters.h"
#include "core/common/Progress.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace qm {

class LayoutCatalogue;
class SequentialFile;

// The procedure codes (FA0 09.0) of a file with their service lines and
// charges, for the ten with the most of each. Up to `limit` codes are
// counted one by one. Beyond, the codes are counted as heavy hitters, whose
// candidates a second reading of the file counts exactly: the lists' figures
// are then exact, and the lists themselves are unless some code not kept
// could have as many as their last.
class ProcedureTally {
public:
    explicit ProcedureTally(std::size_t limit);
    ProcedureTally(const ProcedureTally&) = delete;
    ProcedureTally& operator=(const ProcedureTally&) = delete;

    // A chunk's codes, in file order.
    void add(const std::unordered_map<std::uint64_t, ChunkStatistics::Procedure>& chunk);
    // Whether there were too many codes to count one by one.
    bool needsRecount() const { return byLines_ != nullptr; }
    // The second reading: the candidates' lines and charges. False when cancelled.
    bool recount(const SequentialFile& file, const LayoutCatalogue& layouts,
                 const Progress& progress);
    // The top lists and the count of codes.
    void finish(FileStatistics& into);

private:
    void countAsHeavyHitters();

    std::size_t limit_;
    // Every code while there are at most limit_; then the candidates.
    std::unordered_map<std::uint64_t, ChunkStatistics::Procedure> codes_;
    std::unique_ptr<HeavyHitters> byLines_;
    std::unique_ptr<HeavyHitters> byCharges_; // by the charges above zero
};

} // namespace qm
