#pragma once

#include "core/search/PatternEnds.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm {

// A piece of a regular expression as a small automaton over file bytes
// (Thompson's construction), put together the five ways PatternEnds is, by
// the same reader: PatternDfa turns the whole pattern's into a table that
// tells, byte by byte, whether a value can hold a match. Like PatternEnds it
// may only ever say too much: a class it cannot read for certain is any
// byte, and \b, \B take no part.
struct PatternNfa {
    using Bytes = PatternEnds::Bytes;
    // Beyond this many nodes (a{1000} repeated) no automaton is made.
    static constexpr std::size_t kMostNodes = 4000;

    enum class Kind : std::uint8_t {
        Byte,  // one byte of `bytes`, then out
        Split, // out or out2
        Empty, // on to out; the exit's out is -1 until a piece follows
        Start, // ^: only at the value's start, then out
        End,   // $: only at its end, then out
        Match  // the whole pattern matched (added by PatternDfa)
    };
    struct Node {
        Kind kind = Kind::Empty;
        int out = -1;
        int out2 = -1;
        Bytes bytes;
    };

    std::vector<Node> nodes = std::vector<Node>(1); // node 0 is the entry
    int exit = 0;                                   // the Empty node the next piece follows
    bool tooLarge = false;                          // too many nodes: no automaton

    // One character, of these bytes.
    static PatternNfa ofCharacters(const Bytes& bytes);
    // ^ (start) or $.
    static PatternNfa anchor(bool start);
    // a, then b. Taken by value: a repetition or a sequence grows one
    // automaton in place instead of copying it at every step.
    static PatternNfa then(PatternNfa a, const PatternNfa& b);
    // a or b.
    static PatternNfa either(const PatternNfa& a, const PatternNfa& b);
    // a from least to most times (most: PatternEnds::kLongest for no bound).
    static PatternNfa repeated(const PatternNfa& a, std::size_t least, std::size_t most);

private:
    // a's nodes appended to out, their links moved along; where a begins.
    static int append(std::vector<Node>& out, const PatternNfa& a);
    static PatternNfa large();
};

} // namespace qm
