#pragma once

#include "core/check/ChunkStatistics.h"
#include "core/check/FileCheck.h"
#include "core/check/FileStatistics.h"
#include "core/check/PassListener.h"
#include "core/check/ProcedureTally.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm {

class ClaimRules;
class ClaimVisitor;

// Gathers a file's statistics as one more listener of the whole-file check:
// its workers' visitors add up each chunk, the chunks are merged in file order
// as the check hands them on, and the check's rows are counted as they come.
// A batch is handed to the sink once it is done with and then forgotten, but
// for the few with the most charges: memory stays the same however many
// batches the file has. A file of very many procedure codes is read a second
// time as the reading ends, for the top codes' exact counts.
class StatisticsGatherer : public PassListener, private FileCheck::Consumer {
public:
    // limit: procedure codes and providers counted one by one.
    StatisticsGatherer(std::size_t limit, FileStatistics::BatchSink* eachBatch);

    void begin(std::size_t chunkCount) override;
    std::unique_ptr<ClaimVisitor> visitor(const ClaimRules& rules,
                                          const CheckVisitor& check) override;
    // The chunk's figures, in file order; they are dropped once merged.
    void chunkDone(std::size_t chunk) override;
    FileCheck::Consumer* findings() override { return this; }
    bool end(bool done, const SequentialFile& file, const LayoutCatalogue& layouts,
             const Progress& progress) override;

    // The figures of every chunk taken, once the reading has ended.
    FileStatistics takeFigures() { return std::move(finished_); }

    // The whole-file check with the file's figures gathered from the same
    // reading into statistics (and each batch handed to eachBatch, in file
    // order, as it is done with); a file of very many procedure codes is
    // read a second time for them. limit: procedure codes and providers
    // counted one by one.
    static FileCheck::Summary check(const SequentialFile& file,
                                    std::shared_ptr<const LayoutCatalogue> layouts,
                                    const FileCheck::Options& options,
                                    FileCheck::Consumer& consumer, FileStatistics& statistics,
                                    FileStatistics::BatchSink* eachBatch = nullptr,
                                    std::size_t limit = FileStatistics::kCountedOneByOne);

private:
    // The figures of every chunk taken.
    FileStatistics finish();

    void batch(const FileCheck::Batch& batch) override;
    void claim(const FileCheck::Claim& claim) override;
    void trailer(const FileCheck::Trailer& trailer) override;
    void problem(const ProblemRow& row) override;

    void count(const FileCheck::Rows& rows);
    void count(const Problem& problem);
    void takeParts(const ChunkStatistics& found);
    // The last batch begun is done with: counted, kept or not, and handed on.
    void batchDone();
    void keep(FileStatistics::Batch&& batch);
    void addToProvider(const FileStatistics::Batch& batch);

    std::vector<ChunkStatistics> chunks_;
    const std::size_t limit_;
    FileStatistics::BatchSink* const eachBatch_;
    FileStatistics figures_;
    FileStatistics::Batch batch_; // the last batch begun
    std::int64_t batchesBegun_ = 0;
    bool batchOpen_ = false;       // it has not ended yet
    bool fileTrailerSeen_ = false; // a ZA0 came: the first ends the batch open
    std::map<std::int64_t, std::int64_t> batchProblems_; // of batches not done with
    std::vector<FileStatistics::Batch> kept_;            // a min-heap: the least charges first
    std::map<int, std::int64_t> months_;                 // by year * 100 + month
    // Providers by their text, which lies in the entry (a deque keeps it in place).
    std::deque<FileStatistics::Provider> providers_;
    std::unordered_map<std::string_view, std::size_t> providerAt_;
    ProcedureTally procedures_;
    FileStatistics finished_;
};

} // namespace qm
