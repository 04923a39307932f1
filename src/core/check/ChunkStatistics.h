#pragma once

#include "core/check/FileStatistics.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm {

// What one chunk of the file adds to its statistics, kept until the chunk's
// turn comes to be merged in file order. Workers fill neighbouring chunks'
// at once, each on cache lines of its own.
struct alignas(64) ChunkStatistics {
    // The chunk's lines from one BA0 up to the next (or to the chunk's end);
    // the first part holds the lines before the chunk's first BA0, which go
    // to the batch the chunk began in. Lines after a part's YA0 belong to
    // no batch. At a ZA0 in a part still open, the lines from the ZA0 on go
    // to a part of their own: the file's first ZA0 ends the batch (which the
    // chunk cannot know), any later one does not.
    struct Part {
        std::int64_t position = -1;    // of its BA0; -1 for the lines of a batch begun before
        std::string text;              // the BA0's file tree node text
        bool closed = false;           // its YA0 came
        bool fileTrailer = false;      // a ZA0 came at its end, or after its YA0
        bool afterFileTrailer = false; // it begins at a ZA0
        std::int64_t claims = 0;
        std::int64_t serviceLines = 0;
        std::int64_t records = 0;
        FileStatistics::Money money;
    };
    struct Procedure {
        std::int64_t serviceLines = 0;
        FileStatistics::Sum charges;
    };

    std::vector<Part> parts{Part()};
    std::int64_t batches = 0;
    std::int64_t claims = 0;
    std::int64_t serviceLines = 0;
    std::int64_t records = 0;
    FileStatistics::Money money;
    std::map<int, std::int64_t> months; // by year * 100 + month
    std::int64_t claimsWithoutDate = 0;
    std::array<std::int64_t, FileStatistics::kChargeBins> chargeBins{};
    std::int64_t claimsWithoutCharges = 0;
    // By the code's bytes packed with its length (at most seven bytes).
    std::unordered_map<std::uint64_t, Procedure> procedures;
};

} // namespace qm
