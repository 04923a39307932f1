#include "core/check/FileCheck.h"

#include "core/check/CheckVisitor.h"
#include "core/check/ChunkFindings.h"
#include "core/check/StatisticsGatherer.h"
#include "core/check/StructureCheck.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/ClaimFileOpener.h"

#include <utility>

namespace qm {

FileCheck::Summary FileCheck::run(const SequentialFile& file,
                                  std::shared_ptr<const LayoutCatalogue> layouts,
                                  const Options& options, Consumer& consumer,
                                  FileStatistics* statistics, FileStatistics::BatchSink* eachBatch,
                                  Companion* companion) {
    // Lines that end in LF alone make the file one line, as the open said.
    SequentialFile probe;
    const bool lfOnly = probe.openSame(file) && ClaimFileOpener::hasLfOnlyLineEnds(probe);

    Options passOptions = options;
    passOptions.everyLine = true;
    ClaimPass pass(file, layouts, passOptions);
    std::vector<ChunkFindings> findings(pass.chunkCount());
    ChunkFindingsPool pool;
    std::unique_ptr<StatisticsGatherer> gatherer;
    if (statistics)
        gatherer = std::make_unique<StatisticsGatherer>(consumer, pass.chunkCount(),
                                                        options.countedOneByOneForTests
                                                            ? options.countedOneByOneForTests
                                                            : FileStatistics::kCountedOneByOne,
                                                        eachBatch);
    StructureCheck walk(file, *layouts, pass.chunkCount(), lfOnly, gatherer ? *gatherer : consumer);
    // Rules bound to other layouts would name fields this file does not have.
    const RuleCatalogue* rules =
        options.rules && options.rules->layouts() == layouts ? options.rules.get() : nullptr;
    walk.setRules(rules);
    if (companion)
        companion->begin(pass.chunkCount());
    const bool done = pass.run(
        [&]() -> std::unique_ptr<ClaimVisitor> {
            auto check = std::make_unique<CheckVisitor>(pass.rules(), findings, pool);
            if (rules)
                check->setEditor(rules->editor());
            std::unique_ptr<ClaimVisitor> visitor =
                companion ? companion->visitor(pass.rules(), std::move(check)) : std::move(check);
            if (gatherer)
                return gatherer->visitor(pass.rules(), std::move(visitor));
            return visitor;
        },
        [&](std::size_t chunk) {
            // Moved out: the slot would keep the chunk's memory until the
            // end; the pool keeps it for a chunk still to read.
            ChunkFindings found = std::move(findings[chunk]);
            if (companion)
                companion->take(chunk);
            walk.take(chunk, found);
            pool.give(std::move(found));
            if (gatherer)
                gatherer->take(chunk);
        });
    Summary& summary = walk.summary();
    summary.cancelled = !done;
    if (done)
        walk.finish(pass.fileChanged(), pass.initialSize(), pass.claimsFound());
    if (gatherer && done && gatherer->needsRecount())
        summary.cancelled = !gatherer->recount(file, *layouts, options.progress);
    if (gatherer)
        *statistics = gatherer->finish();
    return summary;
}

} // namespace qm
