#pragma once

#include <functional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace qm {

// A stream buffer that keeps what is written to it for later, in memory up
// to a few megabytes and beyond that in a temporary file of its own (gone
// when it is closed), so that a part of a report that must come after
// another can be written as it is found without its size in memory.
class SpoolBuffer : public std::streambuf {
public:
    SpoolBuffer();
    ~SpoolBuffer() override;
    SpoolBuffer(const SpoolBuffer&) = delete;
    SpoolBuffer& operator=(const SpoolBuffer&) = delete;

    bool empty() const { return !spilled_ && memory_.empty(); }
    // Writes everything kept to out; false when the temporary file failed.
    bool copyTo(std::ostream& out);
    // Hands everything kept to visit, in order, a block at a time; false
    // when the temporary file failed.
    bool forEachBlock(const std::function<void(std::string_view)>& visit);

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

private:
    // Moves what memory holds to the temporary file; false when there is none.
    bool spill();

    std::string memory_;
    int fd_ = -1;
    bool spilled_ = false;
    bool failed_ = false;
};

} // namespace qm
