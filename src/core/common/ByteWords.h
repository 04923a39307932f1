#pragma once

#include <cstdint>
#include <cstring>

namespace qm {

// Tests on eight bytes at once, for scans over texts that are mostly plain:
// each tells whether any byte of a word is of a kind, never missing one, so
// that a word without one is passed over whole instead of byte by byte.
class ByteWords {
public:
    static constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    static constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

    // The eight bytes from bytes on.
    static std::uint64_t at(const char* bytes) {
        std::uint64_t word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
    }
    // A byte of 0x80 or above.
    static bool anyHigh(std::uint64_t word) { return word & kHighBits; }
    // A byte below n (n at most 0x80).
    static bool anyBelow(std::uint64_t word, unsigned n) {
        return (word - kOnes * n) & ~word & kHighBits;
    }
    // A byte above n (n below 0x80).
    static bool anyAbove(std::uint64_t word, unsigned n) {
        return ((word + kOnes * (0x7F - n)) | word) & kHighBits;
    }
    // A byte equal to c.
    static bool anyEqual(std::uint64_t word, char c) {
        const std::uint64_t zeroWhereEqual = word ^ (kOnes * static_cast<unsigned char>(c));
        return anyBelow(zeroWhereEqual, 1);
    }
};

} // namespace qm
