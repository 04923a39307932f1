#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class SequentialFile;

// Where the batch and file trailers (YA0, ZA0 lines of full length) begin, in
// file order, gathered by the tree scan. A claim click uses it to jump to the
// trailers instead of reading the rest of the file; it is only trusted while
// the file still has the identity it had when the index was built.
class TrailerIndex {
public:
    void clear();
    // lineStart: 1-based position where the line begins (before a leading LF).
    void add(char typeLetter, std::int64_t lineStart);

    // First line start >= from of a YA0 ('Y') or ZA0 ('Z') line.
    std::optional<std::int64_t> firstAtOrAfter(char typeLetter, std::int64_t from) const;

    // The trailers a claim whose records end before `from` shows: the first
    // file trailer from there, and the first batch trailer when it comes
    // before that file trailer.
    struct Below {
        std::optional<std::int64_t> batch;
        std::optional<std::int64_t> file;
    };
    Below below(std::int64_t from) const;

    // Whether the scan read this very file (its identity) to the end.
    bool describes(const SequentialFile& file) const;

    std::string fileIdentity; // SequentialFile::identity() of the file scanned
    bool complete = false;    // the scan reached the end of the file

private:
    std::vector<std::int64_t> ya0_;
    std::vector<std::int64_t> za0_;
};

} // namespace qm
