#pragma once

#include "core/check/FileCheck.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// The whole-file check's rows that name a line within a stretch of lines,
// kept as the check hands them on, so that a listing of those lines can show
// each with its problems. A claim's rows name its CA0's line; a trailer's
// its YA0's or ZA0's; a row of the file's structure the line it is about.
// Rows that name no line (no ZA0 at all, a batch the file's end closes) are
// not kept.
class LineProblems : public FileCheck::Consumer {
public:
    // Lines first to last, both included.
    LineProblems(std::int64_t first, std::int64_t last);

    void batch(const FileCheck::Batch&) override {}
    void claim(const FileCheck::Claim& claim) override { keep(claim.rows); }
    void trailer(const FileCheck::Trailer& trailer) override { keep(trailer.rows); }
    void problem(const ProblemRow& row) override { keep(row); }

    // After the check: orders the rows by line, each line's in the order
    // the check gave them (a claim's rows come when the claim ends).
    void finish();
    // The rows kept for a line, after finish(); their values are valid
    // while this lives.
    std::vector<ProblemRow> at(std::int64_t line) const;
    std::size_t size() const { return kept_.size(); }

private:
    struct Kept {
        Problem problem;
        std::string value;
    };
    void keep(const FileCheck::Rows& rows) {
        for (const ProblemRow& row : rows)
            keep(row);
    }
    void keep(const ProblemRow& row);

    const std::int64_t first_;
    const std::int64_t last_;
    std::vector<Kept> kept_;
};

} // namespace qm
