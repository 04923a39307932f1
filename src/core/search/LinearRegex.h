#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A regular expression matched in time linear in the text: every way the
// pattern can match is followed at once, step by step (a Pike machine), never
// by backtracking, so no pattern can make a search hang. The text is file
// bytes, each one character by the file text rule.
//
// Syntax: a literal character; . any character; [abc] [a-z] [^...] classes;
// \d \w \s digits, word characters (ASCII letters, digits, _), blanks and
// their negations \D \W \S; \t \n \r; \ before any other sign takes it
// literally; ^ and $ the start and end of the text; (...) and (?:...)
// groups; a|b alternatives; * + ? {n} {n,} {n,m} repetition (n, m up to
// 1000), lazy when followed by ?; a leading (?i) ignores case.
// Matches are leftmost, then as the pattern prefers (as in Perl).
class LinearRegex {
public:
    // Compiles pattern (characters); false, with the reason in error, when it
    // is not one this syntax allows.
    bool compile(std::u32string_view pattern, std::string& error);

    // The leftmost match in text. Not for two threads at once: it keeps
    // working space between calls (copy it for each thread).
    bool search(std::string_view text, std::size_t& start, std::size_t& length) const;
    // False when no part of text can hold a match: it lacks the characters
    // every match must have one after the other.
    bool mayMatchWithin(std::string_view text) const;

private:
    enum class Op : std::uint8_t { Byte, Split, Jump, Begin, End, Match };
    struct Inst {
        Op op;
        int x = 0; // Byte: the byte set; Split, Jump: where to go (Split: preferred)
        int y = 0; // Split: the other way
    };
    struct Thread {
        int pc;
        std::size_t start;
    };
    class Parser;

    void addThread(std::vector<Thread>& list, int pc, std::size_t start, std::size_t at,
                   std::size_t end, std::int64_t step) const;
    // Works out where a match can start, so that search() tries no more places than needed.
    void findStarts();

    std::vector<Inst> program_;
    std::vector<std::bitset<256>> sets_;
    bool anchored_ = false;       // every match starts at the text's start (^)
    bool startsEmpty_ = false;    // a match may take no character at all
    std::bitset<256> firstBytes_; // the bytes a match can start with
    // Characters every match holds one after the other, and the bytes of
    // the rarest of them (at `rarest`), looked for first.
    std::vector<std::bitset<256>> required_;
    std::size_t rarest_ = 0;
    std::vector<char> rarestBytes_;
    // Working space of search().
    mutable std::vector<std::int64_t> mark_;
    mutable std::int64_t steps_ = 0;
    mutable std::vector<Thread> current_, next_;
    mutable std::vector<int> stack_;
};

} // namespace qm
