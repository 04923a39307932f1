#include "core/filter/FilterParser.h"

#include "core/check/Problem.h"
#include "core/check/ProblemWords.h"
#include "core/common/AsciiCase.h"
#include "core/common/TextUtil.h"
#include "core/filter/FilterLiterals.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/search/SearchPlan.h"

#include <algorithm>
#include <climits>

namespace qm {

namespace {

using Source = FilterProgram::Source;
using How = FilterProgram::How;

constexpr std::string_view kKeywords[] = {"and",     "or",     "not",   "in",    "contains",
                                          "matches", "exists", "blank", "any",   "all",
                                          "count",   "sum",    "claim", "batch", "problem"};
constexpr std::string_view kFieldOrValue = "a field such as XA0.12.0, or a value, was expected";
constexpr std::string_view kText = "a text in quotes such as \"SMITH\"";

// The kinds of problem a claim's own rows can have.
constexpr Problem::Kind kClaimKinds[] = {Problem::Kind::TotalsDoNotCompute,
                                         Problem::Kind::Unreadable, Problem::Kind::InvalidValue,
                                         Problem::Kind::CouldNotCheck, Problem::Kind::NoXa0};

// "12.0": two digits, a point, a digit.
bool isFieldId(std::string_view w) {
    auto digit = [&](std::size_t i) {
        return w[i] >= '0' && w[i] <= '9';
    };
    return w.size() == 4 && digit(0) && digit(1) && w[2] == '.' && digit(3);
}

// "XA0.12.0"
bool isFieldReference(std::string_view w) {
    return w.size() == 8 && w[3] == '.' && isFieldId(w.substr(4));
}

// "XA0.12", "xa0.120": a record type and a dot, meant as a field.
bool looksLikeField(std::string_view w) {
    return w.size() > 4 && w[3] == '.' && recordTypeIndex(asciiUpper(w.substr(0, 3))) >= 0;
}

std::string typeName(int type) {
    return std::string(kRecordTypes[std::size_t(type)]);
}

} // namespace

bool FilterParser::parse(std::string_view expression, FilterProgram& program, FilterError& error) {
    program = FilterProgram();
    program_ = &program;
    scope_ = nullptr;
    at_ = 0;
    patterns_ = 0;
    if (!FilterLexer::tokenize(expression, tokens_, error))
        return false;
    const bool read = parseOr(0) && (peek().kind == Kind::End ||
                                     fail(peek().column, "&&, || or the end of the expression "
                                                         "was expected"));
    if (!read) {
        error = error_;
        return false;
    }
    // The deepest the stack of verdicts grows over the claim's steps and any scope's.
    auto depthOf = [](const std::vector<FilterProgram::Step>& steps) {
        std::size_t depth = 0, most = 0;
        for (const FilterProgram::Step& step : steps) {
            if (step.op == FilterProgram::Op::Test)
                most = std::max(most, ++depth);
            else if (step.op != FilterProgram::Op::Not)
                --depth;
        }
        return most;
    };
    program.stackDepth = depthOf(program.steps);
    for (const FilterProgram::Scope& scope : program.scopes)
        program.stackDepth = std::max(program.stackDepth, depthOf(scope.steps));
    return true;
}

bool FilterParser::isWord(std::string_view keyword) const {
    return peek().kind == Kind::Word && asciiLower(peek().text) == keyword;
}

bool FilterParser::fail(std::size_t column, std::string what) {
    error_ = {column, std::move(what)};
    return false;
}

bool FilterParser::expect(Kind kind, std::string_view what) {
    if (peek().kind != kind)
        return fail(peek().column, std::string(what) + " was expected");
    take();
    return true;
}

void FilterParser::emit(FilterProgram::Op op, int test) {
    (scope_ ? scope_->steps : program_->steps).push_back({op, test});
}

bool FilterParser::parseOr(int depth) {
    if (!parseAnd(depth))
        return false;
    while (peek().kind == Kind::Or || isWord("or")) {
        take();
        if (!parseAnd(depth))
            return false;
        emit(FilterProgram::Op::Or);
    }
    return true;
}

bool FilterParser::parseAnd(int depth) {
    if (!parseUnary(depth))
        return false;
    while (peek().kind == Kind::And || isWord("and")) {
        take();
        if (!parseUnary(depth))
            return false;
        emit(FilterProgram::Op::And);
    }
    return true;
}

bool FilterParser::parseUnary(int depth) {
    if (depth > kMaxDepth)
        return fail(peek().column, "a simpler expression was expected: this one nests more than " +
                                       std::to_string(kMaxDepth) + " deep");
    if (peek().kind == Kind::Not || isWord("not")) {
        take();
        if (!parseUnary(depth + 1))
            return false;
        emit(FilterProgram::Op::Not);
        return true;
    }
    return parsePrimary(depth);
}

bool FilterParser::parsePrimary(int depth) {
    if (peek().kind == Kind::Open) {
        take();
        return parseOr(depth + 1) && expect(Kind::Close, ")");
    }
    const bool scope = (isWord("any") || isWord("all")) && at_ + 1 < tokens_.size() &&
                       tokens_[at_ + 1].kind == Kind::Open;
    if (scope)
        return parseScope(isWord("all"), depth + 1);
    return parseTest();
}

bool FilterParser::parseScope(bool all, int depth) {
    if (scope_)
        return fail(peek().column, "a field of " +
                                       (scope_->type < 0 ? std::string("one record type")
                                                         : typeName(scope_->type)) +
                                       " was expected: any(...) and all(...) do not nest");
    take();
    take();
    FilterProgram::Scope scope;
    if (peek().kind == Kind::Word && at_ + 1 < tokens_.size() &&
        tokens_[at_ + 1].kind == Kind::Colon) {
        scope.type = recordTypeIndex(asciiUpper(peek().text));
        if (scope.type < 0)
            return fail(peek().column, "a record type such as FA0 was expected");
        take();
        take();
    }
    program_->scopes.push_back(std::move(scope));
    const int index = int(program_->scopes.size()) - 1;
    scope_ = &program_->scopes.back();
    const bool read = parseOr(depth) && expect(Kind::Close, ")");
    scope_ = nullptr;
    if (!read)
        return false;
    FilterProgram::Test test;
    test.source = all ? Source::All : Source::Any;
    test.scope = index;
    test.field.type = program_->scopes.back().type;
    program_->tests.push_back(std::move(test));
    emit(FilterProgram::Op::Test, int(program_->tests.size()) - 1);
    return true;
}

bool FilterParser::isValue(const Token& token) const {
    if (token.kind == Kind::Text)
        return true;
    if (token.kind != Kind::Word || isFieldReference(token.text) || looksLikeField(token.text) ||
        (scope_ && isFieldId(token.text)))
        return false;
    const std::string word = asciiLower(token.text);
    return std::find(std::begin(kKeywords), std::end(kKeywords), word) == std::end(kKeywords);
}

bool FilterParser::parseTest() {
    if (isValue(peek())) {
        // A value first: "500.00 < XA0.12.0" is "XA0.12.0 > 500.00".
        const Token value = take();
        const Kind op = peek().kind;
        if (op < Kind::Equal || op > Kind::MoreEqual)
            return fail(peek().column, "an operator such as == or < was expected");
        const std::size_t opColumn = take().column;
        const std::optional<Subject> subject = parseSubject();
        if (!subject)
            return false;
        const Kind flipped = op == Kind::Less        ? Kind::More
                             : op == Kind::LessEqual ? Kind::MoreEqual
                             : op == Kind::More      ? Kind::Less
                             : op == Kind::MoreEqual ? Kind::LessEqual
                                                     : op;
        if (subject->source == Source::Problem)
            return fail(subject->column, "a field such as XA0.12.0 was expected");
        return compare(*subject, flipped, value, opColumn);
    }
    const std::optional<Subject> subject = parseSubject();
    if (!subject)
        return false;
    return subject->source == Source::Problem ? parseProblem() : parseTail(*subject);
}

std::optional<FilterParser::Subject> FilterParser::parseSubject() {
    const Token& t = peek();
    if (t.kind != Kind::Word) {
        fail(t.column, std::string(kFieldOrValue));
        return std::nullopt;
    }
    const std::string word = asciiLower(t.text);
    const bool call = at_ + 1 < tokens_.size() && tokens_[at_ + 1].kind == Kind::Open;
    const bool claimWide = word == "problem" || word == "claim" || word == "batch" ||
                           ((word == "count" || word == "sum") && call);
    if (claimWide && scope_) {
        fail(t.column,
             "a field of " +
                 (scope_->type < 0 ? std::string("one record type") : typeName(scope_->type)) +
                 " was expected: any(...) and all(...) test one record at a time");
        return std::nullopt;
    }
    if ((word == "count" || word == "sum") && call)
        return parseCountOrSum(word == "sum");
    Subject subject;
    subject.column = t.column;
    subject.name = word;
    if (word == "problem" || word == "claim" || word == "batch") {
        take();
        subject.source = word == "problem" ? Source::Problem
                         : word == "claim" ? Source::Claim
                                           : Source::Batch;
        return subject;
    }
    return parseField(take());
}

std::optional<FilterParser::Subject> FilterParser::parseField(const Token& word) {
    Subject subject;
    subject.column = word.column;
    std::string id;
    if (scope_ && isFieldId(word.text) && scope_->type >= 0) {
        subject.type = scope_->type;
        id = word.text;
    } else if (isFieldReference(word.text)) {
        subject.type = recordTypeIndex(asciiUpper(word.text.substr(0, 3)));
        if (subject.type < 0) {
            fail(word.column,
                 "a field such as XA0.12.0 was expected: " + asciiUpper(word.text.substr(0, 3)) +
                     " is none of the 32 record types");
            return std::nullopt;
        }
        id = word.text.substr(4);
    } else {
        fail(word.column, scope_ && isFieldId(word.text)
                              ? "a field with its record type, such as FA0.05.0, was expected "
                                "(or any(FA0: 05.0 ...))"
                          : looksLikeField(word.text)
                              ? "a field such as XA0.12.0 was expected (its record type, field "
                                "number and part: " +
                                    word.text + " is not written so)"
                              : std::string(kFieldOrValue));
        return std::nullopt;
    }
    subject.name = typeName(subject.type) + "." + id;
    if (scope_) {
        if (scope_->type < 0)
            scope_->type = subject.type;
        if (scope_->type != subject.type) {
            fail(word.column, "a field of " + typeName(scope_->type) +
                                  " was expected: any(...) and all(...) test one record type");
            return std::nullopt;
        }
    }
    const RecordLayout& layout = layouts_.at(subject.type);
    subject.field = layout.indexOf(id);
    if (subject.field < 0) {
        fail(word.column, "a field the map has was expected: it has no " + subject.name);
        return std::nullopt;
    }
    subject.unit = SearchPlan::unitOf(layout, subject.field);
    return subject;
}

std::optional<FilterParser::Subject> FilterParser::parseCountOrSum(bool sum) {
    const std::size_t column = take().column;
    take();
    const Token& word = peek();
    std::optional<Subject> subject;
    if (sum) {
        subject = word.kind == Kind::Word ? parseField(take()) : std::nullopt;
        if (!subject) {
            if (word.kind != Kind::Word)
                fail(word.column, "a field such as FA0.13.0 was expected");
            return std::nullopt;
        }
        if (!subject->unit || *subject->unit == NumberText::Unit::Date) {
            fail(word.column,
                 "a field of amounts or numbers was expected: " + subject->name + " holds " +
                     (subject->unit ? std::string(SearchPlan::unitWords(*subject->unit))
                                    : std::string("text")));
            return std::nullopt;
        }
        subject->source = Source::Sum;
        subject->name = "sum(" + subject->name + ")";
    } else {
        subject.emplace();
        subject->source = Source::Count;
        subject->type = word.kind == Kind::Word ? recordTypeIndex(asciiUpper(word.text)) : -1;
        if (subject->type < 0) {
            fail(word.column, "a record type such as FA0 was expected");
            return std::nullopt;
        }
        take();
        subject->unit = NumberText::Unit::Whole;
        subject->name = "count(" + typeName(subject->type) + ")";
    }
    subject->column = column;
    if (!expect(Kind::Close, ")"))
        return std::nullopt;
    return subject;
}

bool FilterParser::parseProblem() {
    FilterProgram::Test test;
    test.source = Source::Problem;
    auto kindOf = [&](const Token& t) {
        for (const Problem::Kind kind : kClaimKinds)
            if ((t.kind == Kind::Text || t.kind == Kind::Word) &&
                asciiLower(t.text) == ProblemWords::kindKey(kind)) {
                test.kinds |= 1u << unsigned(kind);
                return true;
            }
        return fail(t.column, "a problem kind of a claim was expected: totals_do_not_compute, "
                              "unreadable, invalid_value, could_not_check or no_xa0");
    };
    if (peek().kind == Kind::Equal || peek().kind == Kind::NotEqual) {
        test.negate = take().kind == Kind::NotEqual;
        if (!kindOf(take()))
            return false;
    } else if (isWord("in")) {
        take();
        if (!expect(Kind::OpenSet, "a set of kinds such as {\"no_xa0\" \"invalid_value\"}"))
            return false;
        do {
            if (!kindOf(take()))
                return false;
        } while (peek().kind != Kind::CloseSet);
        take();
    } else {
        test.kinds = ~0u; // a problem of any kind
    }
    program_->usesProblems = true;
    program_->tests.push_back(std::move(test));
    emit(FilterProgram::Op::Test, int(program_->tests.size()) - 1);
    return true;
}

bool FilterParser::parseTail(const Subject& subject) {
    const Token& t = peek();
    if (t.kind >= Kind::Equal && t.kind <= Kind::MoreEqual) {
        const Token& op = take();
        return compare(subject, op.kind, take(), op.column);
    }
    if (isWord("in"))
        return parseIn(subject);
    if (isWord("contains") || isWord("matches")) {
        const bool contains = isWord("contains");
        take();
        return parseTextMatch(subject,
                              contains ? SearchQuery::Mode::Contains : SearchQuery::Mode::Regex);
    }
    if ((isWord("exists") || isWord("blank")) &&
        (subject.source == Source::Field || subject.source == Source::Batch)) {
        const How how = isWord("exists") ? How::Exists : How::Blank;
        take();
        return add(subject, testOf(subject, how));
    }
    return fail(t.column, subject.source == Source::Field
                              ? "an operator such as ==, <, in, contains or exists was expected"
                              : "an operator such as ==, <, in or contains was expected");
}

FilterProgram::FieldTest FilterParser::testOf(const Subject& subject, How how) const {
    FilterProgram::FieldTest test;
    test.type = subject.type;
    test.field = subject.field;
    test.how = how;
    test.date = subject.source == Source::Field && subject.unit == NumberText::Unit::Date;
    return test;
}

bool FilterParser::add(const Subject& subject, FilterProgram::FieldTest test) {
    if (scope_) {
        scope_->tests.push_back(std::move(test));
        emit(FilterProgram::Op::Test, int(scope_->tests.size()) - 1);
        return true;
    }
    FilterProgram::Test claimTest;
    claimTest.source = subject.source;
    claimTest.field = std::move(test);
    program_->tests.push_back(std::move(claimTest));
    emit(FilterProgram::Op::Test, int(program_->tests.size()) - 1);
    return true;
}

std::optional<FilterProgram::Range> FilterParser::numberOf(const Subject& subject,
                                                           const Token& value) {
    std::optional<FilterProgram::Range> range;
    if (value.kind == Kind::Word)
        range = FilterLiterals::number(value.text, *subject.unit);
    if (!range) {
        fail(value.column, FilterLiterals::expected(*subject.unit) + " was expected (" +
                               subject.name + " holds " +
                               std::string(SearchPlan::unitWords(*subject.unit)) + ")");
    }
    return range;
}

bool FilterParser::addText(const Subject& subject, const Token& value,
                           FilterProgram::FieldTest& test) {
    if (!isValue(value))
        return fail(value.column, std::string(kText) + " was expected");
    // Keys are written in capitals: "ca0967" names CA0967.
    const bool key = subject.source == Source::Claim || subject.source == Source::Batch;
    const std::string text = key ? asciiUpper(value.text) : value.text;
    if (trimSpaces(text).empty())
        return fail(value.column, "a text that is not blank was expected (blank finds blank "
                                  "values)");
    ValueMatcher matcher;
    std::string error;
    if (!FilterLiterals::text(SearchQuery::Mode::Exact, text, matcher, error))
        return fail(value.column, error);
    test.how = How::Texts;
    test.texts.push_back(std::move(matcher));
    return true;
}

bool FilterParser::compare(const Subject& subject, Kind op, const Token& value,
                           std::size_t opColumn) {
    FilterProgram::FieldTest test = testOf(subject, How::Numbers);
    test.negate = op == Kind::NotEqual;
    // A text compares with what a field holds, never with a count or a sum.
    const bool counted = subject.source == Source::Count || subject.source == Source::Sum;
    if (!subject.unit || (value.kind == Kind::Text && !counted)) {
        // What is out of place: the operator for a field of text, the text
        // for a field of amounts, dates or numbers.
        if (op != Kind::Equal && op != Kind::NotEqual && !subject.unit)
            return fail(opColumn, "==, !=, in, contains or matches was expected (" + subject.name +
                                      " holds text)");
        if (op != Kind::Equal && op != Kind::NotEqual)
            return fail(value.column, FilterLiterals::expected(*subject.unit) +
                                          " was expected (a text in quotes compares with == or "
                                          "!= only)");
        return addText(subject, value, test) && add(subject, std::move(test));
    }
    const std::optional<FilterProgram::Range> r = numberOf(subject, value);
    if (!r)
        return false;
    switch (op) {
    case Kind::Less:
        if (r->low != INT64_MIN)
            test.ranges.push_back({INT64_MIN, r->low - 1});
        break;
    case Kind::LessEqual:
        test.ranges.push_back({INT64_MIN, r->high});
        break;
    case Kind::More:
        if (r->high != INT64_MAX)
            test.ranges.push_back({r->high + 1, INT64_MAX});
        break;
    case Kind::MoreEqual:
        test.ranges.push_back({r->low, INT64_MAX});
        break;
    default:
        test.ranges.push_back(*r);
    }
    return add(subject, std::move(test));
}

bool FilterParser::parseIn(const Subject& subject) {
    take();
    const Token& t = peek();
    FilterProgram::FieldTest test = testOf(subject, How::Numbers);
    if (t.kind == Kind::OpenSet) {
        take();
        do {
            const Token& value = take();
            if (value.kind == Kind::End)
                return fail(value.column, "} was expected");
            if (!subject.unit) {
                if (!addText(subject, value, test))
                    return false;
            } else if (const auto r = numberOf(subject, value)) {
                test.ranges.push_back(*r);
            } else {
                return false;
            }
        } while (peek().kind != Kind::CloseSet);
        take();
        return add(subject, std::move(test));
    }
    if (!subject.unit || t.kind != Kind::Word)
        return fail(t.column, subject.unit ? "a range such as 100.00..500.00, a month such as "
                                             "2003-03 or a set in braces was expected"
                                           : "a set such as {\"11\" \"21\"} was expected (" +
                                                 subject.name + " holds text)");
    const Token low = take();
    const std::size_t dots = low.text.find("..");
    if (dots == std::string::npos) {
        const auto r = numberOf(subject, low);
        if (!r)
            return false;
        test.ranges.push_back(*r);
        return add(subject, std::move(test));
    }
    // "100.00..500.00": both ends in the field's unit, both included.
    Token high = low;
    high.text = low.text.substr(dots + 2);
    high.column = low.column + dots + 2;
    Token first = low;
    first.text = low.text.substr(0, dots);
    const auto from = numberOf(subject, first);
    const auto to = from ? numberOf(subject, high) : std::nullopt;
    if (!to)
        return false;
    if (from->low > to->high)
        return fail(high.column, "a range from its low end to its high end was expected");
    test.ranges.push_back({from->low, to->high});
    return add(subject, std::move(test));
}

bool FilterParser::parseTextMatch(const Subject& subject, SearchQuery::Mode mode) {
    const Token& value = take();
    if (value.kind != Kind::Text)
        return fail(value.column, std::string(kText) + " was expected");
    if (mode == SearchQuery::Mode::Regex && ++patterns_ > kMaxPatterns)
        return fail(value.column, "at most " + std::to_string(kMaxPatterns) +
                                      " regular expressions were expected in one filter");
    ValueMatcher matcher;
    std::string error;
    if (!FilterLiterals::text(mode, value.text, matcher, error))
        return fail(value.column, mode == SearchQuery::Mode::Contains
                                      ? "a text to look for was expected"
                                      : error); // "not a regular expression: ..."
    FilterProgram::FieldTest test = testOf(subject, How::Texts);
    test.texts.push_back(std::move(matcher));
    return add(subject, std::move(test));
}

} // namespace qm
