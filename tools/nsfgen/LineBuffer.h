#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace nsfgen {

// Collects record lines (320 characters and CR LF) in a large buffer and
// writes it out in big chunks, so that gigabyte files take seconds.
class LineBuffer {
public:
    explicit LineBuffer(std::FILE* out, std::size_t chunkBytes = std::size_t{8} << 20);
    ~LineBuffer();
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;

    // A new blank record line; the pointer stays valid until the next call.
    char* newRecord();
    // Any text as one line, ended by CR LF.
    void rawLine(std::string_view text);
    // Cuts the record just made to its first `keep` characters, without a line end.
    void cutLastRecord(std::size_t keep);
    // 1-based byte position at which the next line will begin.
    std::uint64_t nextPosition() const { return written_ + buffer_.size() + 1; }
    // Writes what is buffered; throws std::runtime_error on a write error.
    void flush();

private:
    void reserveFor(std::size_t bytes);

    std::FILE* out_;
    std::size_t chunkBytes_;
    std::vector<char> buffer_;
    std::uint64_t written_ = 0;
};

} // namespace nsfgen
