#pragma once

#include <cstddef>
#include <cstdint>

namespace qm {

// A file of this process's own for what does not fit in memory: made in
// $TMPDIR (or /tmp) and unlinked at once, so that nothing else can open it
// and it goes when it is closed, also when the process dies.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Makes the file, once; false when none could be made.
    bool open();
    // Writes at the end; false (and the file failed from then on) when the
    // bytes could not all be written, the disk being full.
    bool append(const char* data, std::size_t n);
    // Reads up to n bytes from a 0-based offset; how many were read.
    std::size_t readAt(std::int64_t offset, char* buffer, std::size_t n) const;

    std::int64_t size() const { return size_; }
    bool failed() const { return failed_; }

private:
    int fd_ = -1;
    std::int64_t size_ = 0;
    bool failed_ = false;
};

} // namespace qm
