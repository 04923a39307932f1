#pragma once

#include "core/search/PatternNfa.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qm {

// A pattern's automaton (PatternNfa) made deterministic once, up front: a
// table of states by classes of bytes that tells whether a value holds a
// match in one look at each of its bytes, mostly its first few, with no RE2
// call. It says yes for every value RE2 finds a match in, and no for a value
// that holds none as far as the automaton reads the pattern; read-only once
// made, so threads share it.
class PatternDfa {
public:
    // Beyond this many states (or work to find them) none is made.
    static constexpr std::size_t kMostStates = 1024;

    // anchorsTakeNoPart: ^ and $ match anywhere (multi-line mode, where they
    // also stand at line feeds within a value). usable() is false when the
    // automaton is too large.
    PatternDfa(const PatternNfa& whole, bool anchorsTakeNoPart);

    bool usable() const { return !next_.empty(); }
    // False when the value (without its blanks) holds no match.
    bool mayMatch(std::string_view trimmed) const {
        const std::uint32_t* const next = next_.data();
        const std::uint8_t* const flags = flags_.data();
        const std::size_t classes = classes_;
        std::size_t state = start_;
        for (const char c : trimmed) {
            if (flags[state] & (kMatched | kDead))
                return (flags[state] & kMatched) != 0;
            state = next[state * classes + classOf_[static_cast<unsigned char>(c)]];
        }
        return (flags[state] & (kMatched | kMatchedAtEnd)) != 0;
    }
    // False when no value (without its blanks) that begins with this byte
    // holds a match: a pattern held to the value's start mostly tells by it.
    bool mayBeginWith(char first) const { return begins_[static_cast<unsigned char>(first)]; }

private:
    static constexpr std::uint8_t kMatched = 1;      // a match ends here, whatever follows
    static constexpr std::uint8_t kMatchedAtEnd = 2; // ... if the value ends here
    static constexpr std::uint8_t kDead = 4;         // no match whatever follows

    // The byte nodes reached from `from` without taking a byte, sorted, and
    // the state's flags; atStart: at the value's first byte.
    void close(std::vector<int>& from, bool atStart, std::vector<int>& bytes,
               std::uint8_t& flags) const;
    bool build();
    // The first of classes: bytes the automaton tells apart nowhere.
    void makeClasses();

    std::vector<PatternNfa::Node> nodes_;
    bool anchorsTakeNoPart_ = false;
    std::array<std::uint8_t, 256> classOf_{};
    std::size_t classes_ = 0;
    std::vector<std::uint32_t> next_; // by state, then class
    std::vector<std::uint8_t> flags_; // by state
    std::size_t start_ = 0;
    std::array<bool, 256> begins_{}; // bytes a value holding a match may begin with
};

} // namespace qm
