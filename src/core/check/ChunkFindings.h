#pragma once

#include "core/check/LineTally.h"
#include "core/check/Problem.h"
#include "core/claim/TotalsVerdict.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// What the whole-file check's worker found in one chunk, kept compact until
// the chunk's turn comes to be handed on: its claims with their problem
// rows, and its lines that tell the file's structure, with what the lines
// before each held. Texts and values lie in one pool. Workers fill the
// findings of neighbouring chunks at once, each on cache lines of its own.
struct alignas(64) ChunkFindings {
    struct Claim {
        std::int64_t position = 0; // of its CA0
        std::int64_t number = 0;   // the CA0's line number within the chunk, from 1
        std::uint32_t text = 0;    // its file tree node text, in the pool
        std::uint32_t textLength = 0;
        std::uint32_t firstRow = 0;
        std::uint32_t rowCount = 0;
        TotalsState totals = TotalsState::NotAClaim;
        bool xa0Present = false;
        bool unreadable = false;
    };
    struct Row {
        Problem problem;
        std::uint32_t value = 0; // in the pool
        std::uint32_t valueLength = 0;
    };
    // The lines that tell the structure, but claims: those are in claims,
    // with their line numbers.
    enum class LineKind : std::uint8_t {
        FileHeader,   // AA0
        Batch,        // BA0: text holds its node text
        BatchTrailer, // YA0: text holds the record
        FileTrailer,  // ZA0: text holds the record
        UnknownType,  // found holds the type's bytes
        Short,        // found holds the line's length
    };
    struct Line {
        LineKind kind = LineKind::Short;
        std::uint32_t text = 0; // in the pool
        std::uint32_t textLength = 0;
        std::int64_t number = 0;   // line number within the chunk, from 1
        std::int64_t position = 0; // of the record, or where the line begins
        std::int64_t found = 0;
        LineTally before; // what the chunk's lines before this one hold
    };

    // Short lines a chunk keeps as lines: no more are listed for the whole
    // file (the first one past them tells where those not listed begin).
    static constexpr std::int64_t kShortLinesKept = 1001;

    std::vector<Claim> claims;
    std::vector<Row> rows;
    std::vector<Line> lines;
    std::string pool;
    LineTally tally;            // what all the chunk's lines hold
    std::int64_t lineCount = 0; // lines that begin in the chunk
    // Short lines past the first kShortLinesKept, counted only (so that a
    // file of millions of them takes no memory for each), the last of them
    // kept aside: it may be the file's last line, cut short.
    std::int64_t shortLinesCounted = 0;
    Line lastShortLine;
    std::int64_t shortLinesKept = 0;

    // Empty, keeping the memory.
    void clear() {
        claims.clear();
        rows.clear();
        lines.clear();
        pool.clear();
        tally = {};
        lineCount = 0;
        shortLinesCounted = 0;
        shortLinesKept = 0;
    }

    std::uint32_t keep(std::string_view bytes) {
        const auto at = std::uint32_t(pool.size());
        if (!bytes.empty()) // most rows' values
            pool.append(bytes);
        return at;
    }
    std::string_view text(std::uint32_t at, std::uint32_t length) const {
        return std::string_view(pool).substr(at, length);
    }
};

} // namespace qm
