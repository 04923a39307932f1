#pragma once

#include "core/filter/FilterError.h"
#include "core/filter/FilterLexer.h"
#include "core/filter/FilterProgram.h"
#include "core/search/NumberText.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LayoutCatalogue;

// Reads a filter expression into a FilterProgram bound to one map's layouts,
// by recursive descent:
//
//   or      := and { (|| | or) and }
//   and     := unary { (&& | and) unary }
//   unary   := (! | not) unary | primary
//   primary := ( or ) | (any | all) ( [RT :] or ) | test
//   test    := subject [op value | in values | contains TEXT | matches TEXT | exists | blank]
//            | value op subject
//   subject := RT.NN.N | count(RT) | sum(RT.NN.N) | problem | claim | batch
//              (within any(RT: ...): NN.N, a field of RT)
//
// Nesting is bounded (kMaxDepth), so that no expression can exhaust the stack.
class FilterParser {
public:
    static constexpr int kMaxDepth = 64;
    // Regular expressions compile to up to 8 MB each: a filter takes a few.
    static constexpr int kMaxPatterns = 16;

    explicit FilterParser(const LayoutCatalogue& layouts)
        : layouts_(layouts) {}

    // False, with error, when expression is no filter over these layouts.
    bool parse(std::string_view expression, FilterProgram& program, FilterError& error);

private:
    using Token = FilterLexer::Token;
    using Kind = Token::Kind;

    // What a test looks at.
    struct Subject {
        FilterProgram::Source source = FilterProgram::Source::Field;
        int type = -1;
        int field = -1;
        std::optional<NumberText::Unit> unit; // how its values compare as numbers; none: text
        std::string name;                     // "XA0.12.0", "count(FA0)", for messages
        std::size_t column = 0;
    };

    const Token& peek() const { return tokens_[at_]; }
    const Token& take() { return tokens_[at_ < tokens_.size() - 1 ? at_++ : at_]; }
    bool isWord(std::string_view keyword) const;
    bool fail(std::size_t column, std::string what);
    bool expect(Kind kind, std::string_view what);
    void emit(FilterProgram::Op op, int test = 0);

    bool parseOr(int depth);
    bool parseAnd(int depth);
    bool parseUnary(int depth);
    bool parsePrimary(int depth);
    bool parseScope(bool all, int depth);
    bool parseTest();
    std::optional<Subject> parseSubject();
    std::optional<Subject> parseField(const Token& word);
    std::optional<Subject> parseCountOrSum(bool sum);
    bool parseProblem();
    // The rest of a test on subject, from its operator on.
    bool parseTail(const Subject& subject);
    bool compare(const Subject& subject, Kind op, const Token& value, std::size_t opColumn);
    bool parseIn(const Subject& subject);
    bool parseTextMatch(const Subject& subject, SearchQuery::Mode mode);
    // The value of a word or text in the subject's unit.
    std::optional<FilterProgram::Range> numberOf(const Subject& subject, const Token& value);
    bool addText(const Subject& subject, const Token& value, FilterProgram::FieldTest& test);
    bool isValue(const Token& token) const;
    FilterProgram::FieldTest testOf(const Subject& subject, FilterProgram::How how) const;
    // Adds a test of subject (to the scope being read, or to the claim's).
    bool add(const Subject& subject, FilterProgram::FieldTest test);

    const LayoutCatalogue& layouts_;
    std::vector<Token> tokens_;
    std::size_t at_ = 0;
    FilterProgram* program_ = nullptr;
    FilterProgram::Scope* scope_ = nullptr; // the any(...) or all(...) being read
    int patterns_ = 0;
    FilterError error_;
};

} // namespace qm
