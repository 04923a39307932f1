#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qm {

// Which bytes of a line are blanks, a bit each, found once for the line so
// that each field's value is trimmed by a look at a word or two of bits, not
// a walk through its padding.
class LineBlanks {
public:
    // Reads the line's first `reach` bytes (all of it when shorter).
    void read(std::string_view line, std::size_t reach);
    // The first byte in [from, to) that is no blank; to when there is none.
    // Both within what read() read.
    std::size_t firstFrom(std::size_t from, std::size_t to) const {
        std::size_t w = from >> 6;
        std::uint64_t bits = words_[w] & (~std::uint64_t(0) << (from & 63));
        for (;;) {
            if (bits) {
                const std::size_t at = (w << 6) + std::size_t(__builtin_ctzll(bits));
                return at < to ? at : to;
            }
            if ((++w << 6) >= to)
                return to;
            bits = words_[w];
        }
    }
    // One past the last byte in [first, to) that is no blank, where the byte
    // at first is none.
    std::size_t endBefore(std::size_t first, std::size_t to) const {
        std::size_t w = (to - 1) >> 6;
        std::uint64_t bits = words_[w] & (~std::uint64_t(0) >> (63 - ((to - 1) & 63)));
        while (!bits && w > (first >> 6))
            bits = words_[--w];
        return (w << 6) + 64 - std::size_t(__builtin_clzll(bits));
    }

private:
    std::vector<std::uint64_t> words_; // bit i of word w: byte 64w + i is no blank
};

} // namespace qm
