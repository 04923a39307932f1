#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace qm {

// Text for a stream, gathered and written in blocks of some tens of
// kilobytes: a report of millions of short lines costs a stream call per
// block, not several per line. Append to text() and call done() after each
// piece; flush() and destruction write the rest. While it lives, whatever
// else writes to the stream must flush() it first.
class BlockOutput {
public:
    explicit BlockOutput(std::ostream& out);
    ~BlockOutput();
    BlockOutput(const BlockOutput&) = delete;
    BlockOutput& operator=(const BlockOutput&) = delete;

    std::string& text() { return text_; }
    // A block that has gathered goes out.
    void done() {
        if (text_.size() >= kBlock)
            flush();
    }
    void flush();
    std::ostream& stream() { return out_; }

private:
    // Enough to write in few calls, little enough to stay in the CPU cache.
    static constexpr std::size_t kBlock = std::size_t(1) << 15;

    std::ostream& out_;
    std::string text_;
};

} // namespace qm
