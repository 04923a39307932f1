#pragma once

#include "core/check/Problem.h"
#include "core/report/SpoolBuffer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qm {

// Problem rows kept for a report that writes them after what they were
// found in (the check's JSON gives its flat list after the claims). Each row
// is kept as how its words differ from the row before, a few bytes each as
// positions and counts grow slowly, so ten million rows spill some tens of
// megabytes to the SpoolBuffer's file, not hundreds.
class ProblemSpool {
public:
    // A row as kept: where its batch and claim records are (-1 for none)
    // and its value's bytes.
    struct Row {
        Problem problem;
        std::int64_t batchPosition = -1;
        std::int64_t claimPosition = -1;
        std::string_view value;
    };

    ProblemSpool();
    ProblemSpool(const ProblemSpool&) = delete;
    ProblemSpool& operator=(const ProblemSpool&) = delete;

    void keep(const Problem& problem, std::int64_t batchPosition, std::int64_t claimPosition,
              std::string_view value);
    // Every row kept, in order; false when they could not be read back.
    bool forEach(const std::function<void(const Row&)>& visit);

private:
    // A row's words, 64 bits each, as compared with the row before.
    // Two of its small members, six numbers, and the three of the row.
    static constexpr std::size_t kWords = 2 + 6 + 3;
    struct Words {
        std::uint64_t word[kWords] = {};
    };
    static Words wordsOf(const Problem& problem, std::int64_t batchPosition,
                         std::int64_t claimPosition, std::uint64_t valueLength);
    static Problem problemOf(const Words& words);
    // The rows of a frame: a frame is whole rows, its size in front of it.
    bool readFrame(std::string_view frame, Words& last,
                   const std::function<void(const Row&)>& visit) const;
    void spillFrame();

    SpoolBuffer spool_;
    std::string frame_; // the frame being filled
    Words last_;        // the row before, as written
};

} // namespace qm
