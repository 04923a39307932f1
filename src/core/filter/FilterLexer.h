#pragma once

#include "core/filter/FilterError.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Cuts a filter expression into its tokens: signs (== != < <= > >= && || !
// ( ) { } :), texts in double quotes (\" and \\ inside), and words, the runs
// of other characters between blanks and signs (names, fields such as
// XA0.12.0, values such as $1,600.50, 2003-03-01 or 100.00..500.00).
class FilterLexer {
public:
    struct Token {
        enum class Kind {
            End,
            Word,
            Text,
            Open,      // (
            Close,     // )
            OpenSet,   // {
            CloseSet,  // }
            Colon,     // :
            Equal,     // ==
            NotEqual,  // !=
            Less,      // <
            LessEqual, // <=
            More,      // >
            MoreEqual, // >=
            And,       // &&
            Or,        // ||
            Not,       // !
        };
        Kind kind = Kind::End;
        std::size_t column = 0; // of its first character, from 1
        std::string text;       // a word as typed; a text without its quotes and escapes
    };

    // The longest expression taken, in bytes: enough for any filter a person
    // types, small enough that no expression costs much to read.
    static constexpr std::size_t kMaxLength = 10000;

    // The tokens of expression, an End token last; false, with error, when
    // it holds a sign that is none of the above or a text without its
    // closing quote, or is too long.
    static bool tokenize(std::string_view expression, std::vector<Token>& tokens,
                         FilterError& error);
};

} // namespace qm
