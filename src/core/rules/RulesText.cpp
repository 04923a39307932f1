#include "core/rules/RulesText.h"

#include "core/common/AsciiCase.h"
#include "core/common/FileText.h"

#include <cstdio>

namespace qm {

namespace {

using Place = RulesText::Place;
using Stanza = RulesText::Stanza;

constexpr std::string_view kAttributes =
    "severity, message, when, for each or check was expected (an expression that goes on "
    "over several lines is indented)";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Characters in bytes [0, to) of a line: bytes that continue a UTF-8
// sequence add none.
std::size_t charactersBefore(std::string_view line, std::size_t to) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < to && i < line.size(); ++i)
        n += (static_cast<unsigned char>(line[i]) & 0xC0) == 0x80 ? 0 : 1;
    return n;
}

std::string hexByte(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

// The text is UTF-8 without control characters but tabs and line ends;
// false, with where it is not.
bool isText(std::string_view text, RulesError& error) {
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n' || byte == '\r') {
            // CR LF is one line end.
            i += byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            ++line;
            lineStart = i;
            continue;
        }
        char32_t code = 0;
        const std::size_t length = byte < 0x80 ? 1 : FileText::utf8At(text, i, code);
        const bool control = byte < 0x20 ? byte != '\t' : byte == 0x7F;
        if (length == 0 || control) {
            error.line = line;
            error.column = charactersBefore(text.substr(lineStart), i - lineStart) + 1;
            error.what = length == 0 ? "UTF-8 text was expected: the byte " + hexByte(byte) +
                                           " here is none (is this a rules file?)"
                                     : "text was expected: the control character " + hexByte(byte) +
                                           " here is none (is this a rules file?)";
            return false;
        }
        i += length;
    }
    return true;
}

// One line of the file, taken apart word by word.
struct Line {
    std::string_view text;
    std::size_t number = 0;
    std::size_t at = 0; // the byte read next

    Place place(std::size_t byte) const { return {number, charactersBefore(text, byte) + 1}; }
    void skipBlanks() {
        while (at < text.size() && isBlank(text[at]))
            ++at;
    }
    bool atEnd() const { return at >= text.size(); }
    // The next word, and where it begins.
    std::string_view word(std::size_t& start) {
        skipBlanks();
        start = at;
        while (at < text.size() && !isBlank(text[at]))
            ++at;
        return text.substr(start, at - start);
    }
};

class Parser {
public:
    Parser(std::size_t maxRules, std::vector<Stanza>& stanzas, RulesError& error)
        : maxRules_(maxRules)
        , stanzas_(stanzas)
        , error_(error) {}

    bool line(std::string_view text, std::size_t number);
    bool end() { return finish(); }

private:
    bool fail(Place at, std::string what) {
        error_.line = at.line;
        error_.column = at.column;
        error_.what = std::move(what);
        return false;
    }
    bool startRule(Line& line, std::size_t start);
    bool severity(Line& line, std::size_t start);
    bool message(Line& line, std::size_t start);
    bool forEach(Line& line, std::size_t start);
    bool check(Line& line, std::size_t start);
    // The rest of the line, from its next word on, as the start of an expression.
    bool expression(Line& line, std::size_t start);
    // Nothing more may follow on the line.
    bool lineEnds(Line& line, const char* after);
    // A part a rule has at most once, and then one thing to check.
    bool once(bool given, Place first, Line& line, std::size_t start, const char* part);
    bool finish();

    const std::size_t maxRules_;
    std::vector<Stanza>& stanzas_;
    RulesError& error_;
    Stanza* rule_ = nullptr;
    bool continuing_ = false; // the last line was an expression's
    Place severityAt_;
    Place whatAt_; // of the `when`, `for` or `check` given
};

bool Parser::line(std::string_view text, std::size_t number) {
    Line line{text, number};
    if (charactersBefore(text, text.size()) > RulesText::kMaxLineCharacters)
        return fail({number, RulesText::kMaxLineCharacters + 1},
                    "the end of the line was expected: a line holds at most " +
                        std::to_string(RulesText::kMaxLineCharacters) + " characters");
    line.skipBlanks();
    if (line.atEnd() || text[line.at] == '#') {
        continuing_ = false;
        return true;
    }
    const bool indented = line.at > 0;
    std::size_t start = 0;
    const std::string_view keyword = line.word(start);
    if (keyword == "rule")
        return startRule(line, start);
    if (!rule_)
        return fail(line.place(start), "a line `rule ID` was expected first");
    if (keyword == "severity")
        return severity(line, start);
    if (keyword == "message")
        return message(line, start);
    if (keyword == "when")
        return once(rule_->hasExpression || !rule_->check.empty(), whatAt_, line, start, "a") &&
               expression(line, start);
    if (keyword == "for")
        return once(rule_->hasExpression || !rule_->check.empty(), whatAt_, line, start, "a") &&
               forEach(line, start);
    if (keyword == "check")
        return once(rule_->hasExpression || !rule_->check.empty(), whatAt_, line, start, "a") &&
               check(line, start);
    if (!continuing_ || !indented)
        return fail(line.place(start), std::string(kAttributes));
    // The expression goes on: one blank stands for the line end.
    const std::string& expression = rule_->expression;
    rule_->pieces.push_back(
        {charactersBefore(expression, expression.size()) + 2, line.place(start)});
    rule_->expression += '\n';
    rule_->expression.append(text.substr(start));
    return true;
}

bool Parser::once(bool given, Place first, Line& line, std::size_t start, const char* part) {
    if (!given)
        return true;
    return fail(line.place(start), std::string("one thing to check was expected: the rule has ") +
                                       part + " `when`, `for each` or `check` at line " +
                                       std::to_string(first.line) + " already");
}

bool Parser::startRule(Line& line, std::size_t start) {
    if (!finish())
        return false;
    if (stanzas_.size() >= maxRules_)
        return fail(line.place(start), "at most " + std::to_string(maxRules_) +
                                           " rules were expected in all the rules files: this "
                                           "is one more");
    stanzas_.emplace_back();
    rule_ = &stanzas_.back();
    rule_->at = line.place(start);
    std::size_t idStart = 0;
    const std::string_view id = line.word(idStart);
    if (!RulesText::isId(id))
        return fail(line.place(idStart),
                    "a rule id was expected: up to " + std::to_string(RulesText::kMaxIdLength) +
                        " letters, digits, '.', '-' and '_', such as acme.high-charges");
    rule_->id = std::string(id);
    rule_->idAt = line.place(idStart);
    return lineEnds(line, "the rule's id");
}

bool Parser::lineEnds(Line& line, const char* after) {
    line.skipBlanks();
    if (line.atEnd())
        return true;
    return fail(line.place(line.at),
                std::string("the end of the line was expected after ") + after);
}

bool Parser::severity(Line& line, std::size_t start) {
    continuing_ = false;
    if (rule_->severity)
        return fail(line.place(start), "one severity was expected: the rule has one at line " +
                                           std::to_string(severityAt_.line) + " already");
    severityAt_ = line.place(start);
    std::size_t wordStart = 0;
    const std::string word = asciiLower(line.word(wordStart));
    if (word == "error")
        rule_->severity = Problem::Severity::Error;
    else if (word == "warning")
        rule_->severity = Problem::Severity::Warning;
    else if (word == "note")
        rule_->severity = Problem::Severity::Note;
    else
        return fail(line.place(wordStart), "a severity was expected: error, warning or note");
    return lineEnds(line, "the severity");
}

bool Parser::message(Line& line, std::size_t start) {
    continuing_ = false;
    if (rule_->hasMessage)
        return fail(line.place(start), "one message was expected: the rule has one at line " +
                                           std::to_string(rule_->messageAt.line) + " already");
    line.skipBlanks();
    if (line.atEnd() || line.text[line.at] != '"')
        return fail(line.place(line.at), "a message in double quotes was expected");
    const std::size_t open = line.at++;
    while (!line.atEnd() && line.text[line.at] != '"')
        line.at += line.text[line.at] == '\\' && line.at + 1 < line.text.size() ? 2 : 1;
    if (line.atEnd())
        return fail(line.place(line.text.size()), "a \" closing the message begun at column " +
                                                      std::to_string(line.place(open).column) +
                                                      " was expected");
    rule_->hasMessage = true;
    rule_->message = std::string(line.text.substr(open + 1, line.at - open - 1));
    rule_->messageAt = line.place(open + 1);
    ++line.at;
    return lineEnds(line, "the message");
}

bool Parser::expression(Line& line, std::size_t start) {
    whatAt_ = line.place(start);
    line.skipBlanks();
    if (line.atEnd())
        return fail(line.place(line.at), "an expression was expected, such as XA0.12.0 > 500.00");
    rule_->hasExpression = true;
    rule_->expression = std::string(line.text.substr(line.at));
    rule_->pieces = {{1, line.place(line.at)}};
    continuing_ = true;
    return true;
}

bool Parser::forEach(Line& line, std::size_t start) {
    std::size_t at = 0;
    const std::string_view each = line.word(at);
    if (each != "each")
        return fail(line.place(at), "for each RT when EXPR was expected: each");
    const std::string_view type = line.word(at);
    if (type.empty())
        return fail(line.place(at), "a record type such as FA0 was expected");
    rule_->recordType = std::string(type);
    rule_->recordTypeAt = line.place(at);
    const std::string_view when = line.word(at);
    if (when != "when")
        return fail(line.place(at),
                    "for each " + rule_->recordType + " when EXPR was expected: when");
    return expression(line, start);
}

bool Parser::check(Line& line, std::size_t start) {
    continuing_ = false;
    whatAt_ = line.place(start);
    std::size_t at = 0;
    const std::string_view name = line.word(at);
    if (name.empty())
        return fail(line.place(at), "the name of a built-in edit was expected, such as "
                                    "calendar-dates");
    rule_->check = std::string(name);
    rule_->checkAt = line.place(at);
    return lineEnds(line, "the edit's name");
}

bool Parser::finish() {
    continuing_ = false;
    if (!rule_)
        return true;
    Stanza& rule = *rule_;
    rule_ = nullptr;
    const std::string named = "rule " + rule.id;
    if (!rule.severity)
        return fail(rule.at, named + " has no severity: a line `severity error`, `severity "
                                     "warning` or `severity note` was expected");
    if (!rule.hasExpression && rule.check.empty())
        return fail(rule.at, named + " checks nothing: a line `when EXPR`, `for each RT when "
                                     "EXPR` or `check EDIT` was expected");
    if (!rule.check.empty() && rule.hasMessage)
        return fail(rule.messageAt, "no message was expected: a built-in edit words what it "
                                    "finds itself");
    if (rule.hasExpression && !rule.hasMessage)
        return fail(rule.at, named + " has no message: a line `message \"...\"` was expected");
    return true;
}

} // namespace

RulesText::Place RulesText::Stanza::placeOf(std::size_t column) const {
    const Piece* piece = pieces.empty() ? nullptr : &pieces.front();
    for (const Piece& p : pieces)
        if (p.from <= column)
            piece = &p;
    if (!piece)
        return at;
    return {piece->at.line, piece->at.column + (column - piece->from)};
}

bool RulesText::isId(std::string_view word) {
    if (word.empty() || word.size() > kMaxIdLength)
        return false;
    for (const char c : word) {
        const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!fits)
            return false;
    }
    return true;
}

bool RulesText::parse(std::string_view text, std::size_t maxRules, std::vector<Stanza>& stanzas,
                      RulesError& error) {
    stanzas.clear();
    if (!isText(text, error))
        return false;
    Parser parser(maxRules, stanzas, error);
    std::size_t number = 0;
    for (std::size_t i = 0; i <= text.size();) {
        std::size_t end = i;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        if (end == text.size() && i == end && i > 0)
            break; // the last line ended with its line end
        if (!parser.line(text.substr(i, end - i), ++number))
            return false;
        i = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
    }
    return parser.end();
}

} // namespace qm
