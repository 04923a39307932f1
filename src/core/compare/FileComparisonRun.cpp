// The comparison's run, apart from its summary type, so that what pairs the
// units may know the comparison's types without a loop back to it.
#include "core/compare/FileComparison.h"
#include "core/compare/LineDigest.h"
#include "core/compare/UnitPairing.h"
#include "core/compare/UnitStream.h"

#include <algorithm>
#include <atomic>

namespace qm {

namespace {

// The progress is told once in this many units.
constexpr int kUnitsBetweenProgress = 256;

std::array<std::int64_t, kCompareUnitCount> unitCounts(const UnitStream::Counts& counts) {
    return {counts.headers, counts.batches, counts.claims, counts.lines};
}

} // namespace

FileComparison::Summary FileComparison::run(const File& a, const File& b, const Options& options,
                                            const std::function<void(Difference&&)>& onDifference) {
    Summary summary;
    std::atomic<bool> cancel{false};
    const bool byPosition = options.match == Match::Position;
    const std::uint64_t seed = LineDigest::freshSeed();
    std::int64_t total = 0;
    auto goOn = [&](std::int64_t done) {
        if (!options.progress || options.progress(done, total))
            return true;
        cancel = true;
        return false;
    };
    // The work at the end (what waited outside memory, what is only in one
    // file) tells progress as all read, and can be cancelled too.
    UnitPairing pairing(a, b, options, seed, summary, onDifference, [&] { return goOn(total); });
    UnitStream streamA(a.file, a.layouts, byPosition, seed, cancel);
    UnitStream streamB(b.file, b.layouts, byPosition, seed, cancel);
    const std::array<UnitStream*, 2> streams{&streamA, &streamB};
    const std::int64_t sizeA = std::max<std::int64_t>(streamA.size(), 1);
    const std::int64_t sizeB = std::max<std::int64_t>(streamB.size(), 1);
    total = streamA.size() + streamB.size();

    // Whichever file is behind, by the share of it read, goes next: the
    // order depends on the files alone, and units that pair come close together.
    std::array<UnitStream::Unit*, 2> next{streamA.next(), streamB.next()};
    for (std::int64_t taken = 1; next[0] || next[1]; ++taken) {
        const int side = !next[1]   ? 0
                         : !next[0] ? 1
                         : static_cast<long double>(next[0]->at) * sizeB <=
                                 static_cast<long double>(next[1]->at) * sizeA
                             ? 0
                             : 1;
        pairing.take(side, std::move(*next[side]));
        next[side] = streams[side]->next();
        if (taken % kUnitsBetweenProgress == 0 && !goOn(streamA.bytesRead() + streamB.bytesRead()))
            break;
    }
    if (cancel) {
        summary.cancelled = true;
        return summary;
    }
    pairing.finish(streamA.counts(), streamB.counts());
    if (cancel) {
        summary.cancelled = true;
        return summary;
    }
    summary.unitsA = unitCounts(streamA.counts());
    summary.unitsB = unitCounts(streamB.counts());
    summary.changedA = summary.changedA || streamA.fileChanged();
    summary.changedB = summary.changedB || streamB.fileChanged();
    goOn(total);
    return summary;
}

} // namespace qm
