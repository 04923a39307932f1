#pragma once

#include <array>
#include <bitset>
#include <cstddef>

namespace qm {

// What a piece of a regular expression matches, as far as its ends tell:
// RegexProfile reads a pattern into one, piece by piece, each of these
// putting two together as the pattern does. Where a match's characters are
// not known for certain (beyond its length, or in parts of a length that
// varies), any character is taken: it may only ever say too much.
struct PatternEnds {
    // File bytes, by the character each stands for.
    using Bytes = std::bitset<256>;
    // How many places at each end are known.
    static constexpr std::size_t kPlaces = 4;
    using Places = std::array<Bytes, kPlaces>;
    // Longer than any value: a length or count beyond it changes nothing.
    static constexpr std::size_t kLongest = std::size_t(1) << 24;

    Places first = anyAt();     // the characters that can stand at each place from its start
    Places last = anyAt();      // ... and from its end
    std::size_t minLength = 0;  // the fewest characters a match has
    std::size_t maxLength = 0;  // the most; kLongest for no bound
    bool zeroWidth = true;      // it never takes a character
    bool startAnchored = false; // every match of it asserts ^ before its first character
    bool endAnchored = false;   // ... and $ after its last

    // Any character at every place.
    static Places anyAt();
    // One character, of these bytes.
    static PatternEnds ofCharacters(const Bytes& bytes);
    // ^ (start) or $.
    static PatternEnds anchor(bool start);
    // a, then b.
    static PatternEnds then(const PatternEnds& a, const PatternEnds& b);
    // a or b.
    static PatternEnds either(const PatternEnds& a, const PatternEnds& b);
    // a from least to most times (most: kLongest for no bound).
    static PatternEnds repeated(const PatternEnds& a, std::size_t least, std::size_t most);
};

} // namespace qm
