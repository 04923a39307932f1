#include "core/check/FileCheck.h"

#include "core/check/CheckVisitor.h"
#include "core/check/ChunkFindings.h"
#include "core/check/PassListener.h"
#include "core/check/StructureCheck.h"
#include "core/check/VisitorFan.h"
#include "core/io/SequentialFile.h"
#include "core/openfile/ClaimFileOpener.h"

#include <utility>

namespace qm {

namespace {

// The check's findings handed to its consumer, then to each listener's.
class FindingsFan : public FileCheck::Consumer {
public:
    explicit FindingsFan(FileCheck::Consumer& first)
        : consumers_{&first} {}
    void add(FileCheck::Consumer* consumer) {
        if (consumer)
            consumers_.push_back(consumer);
    }
    // The one consumer when no listener takes findings, else this fan.
    FileCheck::Consumer& target() { return consumers_.size() == 1 ? *consumers_.front() : *this; }

    void batch(const FileCheck::Batch& batch) override {
        for (FileCheck::Consumer* consumer : consumers_)
            consumer->batch(batch);
    }
    void claim(const FileCheck::Claim& claim) override {
        for (FileCheck::Consumer* consumer : consumers_)
            consumer->claim(claim);
    }
    void trailer(const FileCheck::Trailer& trailer) override {
        for (FileCheck::Consumer* consumer : consumers_)
            consumer->trailer(trailer);
    }
    void problem(const ProblemRow& row) override {
        for (FileCheck::Consumer* consumer : consumers_)
            consumer->problem(row);
    }

private:
    std::vector<FileCheck::Consumer*> consumers_;
};

} // namespace

FileCheck::Summary FileCheck::run(const SequentialFile& file,
                                  std::shared_ptr<const LayoutCatalogue> layouts,
                                  const Options& options, Consumer& consumer,
                                  const std::vector<PassListener*>& listeners,
                                  Companion* companion) {
    // Lines that end in LF alone make the file one line, as the open said.
    const bool lfOnly = ClaimFileOpener::hasLfOnlyLineEnds(file);

    Options passOptions = options;
    passOptions.everyLine = true;
    ClaimPass pass(file, layouts, passOptions);
    std::vector<ChunkFindings> findings(pass.chunkCount());
    ChunkFindingsPool pool;
    FindingsFan fan(consumer);
    for (PassListener* listener : listeners) {
        listener->begin(pass.chunkCount());
        fan.add(listener->findings());
    }
    StructureCheck walk(file, *layouts, pass.chunkCount(), lfOnly, fan.target());
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
            const CheckVisitor& checking = *check;
            std::unique_ptr<ClaimVisitor> visitor =
                companion ? companion->visitor(pass.rules(), std::move(check)) : std::move(check);
            if (listeners.empty())
                return visitor;
            auto fanned = std::make_unique<VisitorFan>(std::move(visitor));
            for (PassListener* listener : listeners)
                fanned->add(listener->visitor(pass.rules(), checking));
            return fanned;
        },
        [&](std::size_t chunk) {
            for (PassListener* listener : listeners)
                listener->chunkRead(chunk);
            // Moved out: the slot would keep the chunk's memory until the
            // end; the pool keeps it for a chunk still to read.
            ChunkFindings found = std::move(findings[chunk]);
            if (companion)
                companion->take(chunk);
            walk.take(chunk, found);
            pool.give(std::move(found));
            for (PassListener* listener : listeners)
                listener->chunkDone(chunk);
        });
    Summary& summary = walk.summary();
    summary.cancelled = !done;
    if (done)
        walk.finish(pass.fileChanged(), pass.initialSize(), pass.claimsFound());
    for (PassListener* listener : listeners)
        if (!listener->end(done, file, *layouts, options.progress))
            summary.cancelled = true;
    return summary;
}

FileCheck::Summary FileCheck::run(const SequentialFile& file,
                                  std::shared_ptr<const LayoutCatalogue> layouts,
                                  const Options& options, Consumer& consumer) {
    return run(file, std::move(layouts), options, consumer, std::vector<PassListener*>());
}

} // namespace qm
