#pragma once

#include "core/check/Problem.h"
#include "core/rules/RulesError.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The text of a rules file cut into its rules, each as written, with where
// each of its parts stands in the file; nothing is looked up in a map yet.
// One rule a stanza, a line each for its parts, `#` lines comments:
//
//   rule acme.high-charges
//     severity warning
//     message "Total charges {XA0.12.0} need a second look"
//     when XA0.12.0 > 10000.00
//
//   rule acme.place-of-service
//     severity error
//     message "{record}: place of service {07.0} is not covered"
//     for each FA0 when 07.0 in {"12" "99"}
//
//   rule integrity.dates
//     severity error
//     check calendar-dates
//
// An expression runs on over the indented lines that follow it.
class RulesText {
public:
    // A line and column in the file, from 1; columns count characters.
    struct Place {
        std::size_t line = 0;
        std::size_t column = 0;
    };
    // Where a stretch of an expression came from: the expression's column
    // at which it begins, and its place in the file.
    struct Piece {
        std::size_t from = 1;
        Place at;
    };
    struct Stanza {
        Place at; // of its `rule`
        std::string id;
        Place idAt;
        std::optional<Problem::Severity> severity;
        // The message between its quotes as written, escapes and all.
        bool hasMessage = false;
        std::string message;
        Place messageAt; // of its first character
        // `for each RT`: the type as written; empty for a rule on claims.
        std::string recordType;
        Place recordTypeAt;
        // `when`: the expression, its lines joined by line feeds.
        bool hasExpression = false;
        std::string expression;
        std::vector<Piece> pieces;
        // `check`: the built-in edit's name.
        std::string check;
        Place checkAt;

        // The place in the file of the expression's column `column`.
        Place placeOf(std::size_t column) const;
    };

    static constexpr std::size_t kMaxLineCharacters = 10000;
    static constexpr std::size_t kMaxIdLength = 64;

    // Cuts text (UTF-8) into its stanzas; false, with error's line, column
    // and what (its file left as it is), when it is no rules file. At most
    // maxRules stanzas are taken: one more is an error.
    static bool parse(std::string_view text, std::size_t maxRules, std::vector<Stanza>& stanzas,
                      RulesError& error);
    // Whether a word is a rule id: letters, digits, '.', '-' and '_'.
    static bool isId(std::string_view word);
};

} // namespace qm
