#pragma once

#include "core/filetree/TrailerIndex.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace qm {

class HeaderIndex;
class SequentialFile;

// How a claim pass divides a file among its workers: chunks that begin at
// line starts, each knowing the file header and batch a claim at its first
// line hangs under, and where the trailers are. The contexts and trailers
// come from a first reading of every chunk, or from the file tree's index.
class ChunkPlan {
public:
    // The file tree nodes a claim starting at a chunk's first byte hangs under.
    struct Context {
        std::int64_t aa0 = -1;       // the current file header
        std::int64_t ba0 = -1;       // the current batch
        std::int64_t ba0Parent = -1; // the file header of that batch
    };

    struct Chunk {
        std::int64_t begin = 1;
        std::int64_t end = 1; // the next chunk's begin; the last runs to the end of the file
        Context context;
        bool read = false;
    };

    // Chunk boundaries near every chunkBytes of the file as it is now.
    ChunkPlan(const SequentialFile& file, std::int64_t chunkBytes);

    std::vector<Chunk>& chunks() { return chunks_; }
    const std::vector<Chunk>& chunks() const { return chunks_; }
    // The file's size when the plan was made.
    std::int64_t initialSize() const { return initialSize_; }
    // Bytes of the file a chunk covers.
    std::int64_t bytesOf(const Chunk& chunk) const;

    // First reading of one chunk (any thread, one chunk each): where its
    // headers and trailers are.
    void findEvents(SequentialFile& reader, std::size_t chunk, const std::atomic<bool>& cancel);
    // Every chunk's context from what the first reading found.
    void contextsFromEvents();
    // The same from the file headers and batches of an index, which also
    // says where the trailers are; it must outlive the plan.
    void contextsFromIndex(const HeaderIndex& index);
    // Where the trailers are: the index's, or what the first reading found.
    const TrailerIndex& trailers() const { return index_ ? *index_ : found_; }
    // How many claims (CA0 records) the first reading or the index found.
    std::int64_t claims() const { return claims_; }

private:
    // A file header, batch header or trailer record line, as the first reading finds it.
    struct Event {
        char type;             // 'A', 'B', 'Y', 'Z'
        std::int64_t position; // of the record (after a dropped LF)
        std::int64_t lineStart;
    };

    std::vector<Chunk> chunks_;
    std::vector<std::vector<Event>> events_; // by chunk, until the contexts are made
    std::vector<std::int64_t> claimsIn_;     // by chunk, the same
    std::int64_t claims_ = 0;
    const TrailerIndex* index_ = nullptr;
    TrailerIndex found_;
    std::int64_t initialSize_ = 0;
};

} // namespace qm
