#pragma once

#include <cstdint>
#include <string_view>

namespace qm {

// A 64-bit digest of what a comparison does not keep: the lines no unit
// shows, and the part of a record line beyond what a record keeps. Two
// digests of one seed are equal when what they took in is, and differ
// otherwise but for a chance of one in 2^64; each comparison draws its own
// seed, so that no file can be made to collide with another on purpose.
class LineDigest {
public:
    explicit LineDigest(std::uint64_t seed)
        : state_(seed ^ kStart) {}

    // Takes in bytes, their length with them: ("ab", "c") and ("a", "bc") differ.
    void add(std::string_view bytes);
    void add(std::uint64_t value);
    std::uint64_t value() const { return mix(state_, kEnd); }

    // A seed no file can know in advance.
    static std::uint64_t freshSeed();

private:
    static std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
        const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
        return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
    }

    static constexpr std::uint64_t kStart = 0xa0761d6478bd642full;
    static constexpr std::uint64_t kStep = 0xe7037ed1a0b428dbull;
    static constexpr std::uint64_t kEnd = 0x8ebc6af09c88c6e3ull;
    std::uint64_t state_;
};

} // namespace qm
