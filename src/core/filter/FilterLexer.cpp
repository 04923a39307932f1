#include "core/filter/FilterLexer.h"

namespace qm {

namespace {

using Token = FilterLexer::Token;
using Kind = Token::Kind;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The characters that end a word.
bool isSign(char c) {
    return std::string_view("()=!<>&|{}:\"").find(c) != std::string_view::npos;
}

// Where the lexer is in the expression. Columns count characters: the bytes
// that continue a UTF-8 sequence do not.
struct Cursor {
    std::string_view e;
    std::size_t i = 0;
    std::size_t column = 1;

    bool done() const { return i >= e.size(); }
    char at(std::size_t ahead = 0) const { return i + ahead < e.size() ? e[i + ahead] : '\0'; }
    void advance(std::size_t n) {
        for (; n > 0 && i < e.size(); --n, ++i)
            column += (static_cast<unsigned char>(e[i]) & 0xC0) == 0x80 ? 0 : 1;
    }
};

// A sign of one or two characters.
bool readSign(Cursor& c, Token& token, FilterError& error) {
    const char first = c.at(), next = c.at(1);
    std::size_t length = 1;
    switch (first) {
    case '(':
        token.kind = Kind::Open;
        break;
    case ')':
        token.kind = Kind::Close;
        break;
    case '{':
        token.kind = Kind::OpenSet;
        break;
    case '}':
        token.kind = Kind::CloseSet;
        break;
    case ':':
        token.kind = Kind::Colon;
        break;
    case '=':
        if (next != '=') {
            error = {c.column, "== was expected (a comparison has two equals signs)"};
            return false;
        }
        token.kind = Kind::Equal;
        break;
    case '!':
    case '<':
    case '>':
        length = next == '=' ? 2 : 1;
        token.kind = first == '!'   ? (length == 2 ? Kind::NotEqual : Kind::Not)
                     : first == '<' ? (length == 2 ? Kind::LessEqual : Kind::Less)
                                    : (length == 2 ? Kind::MoreEqual : Kind::More);
        break;
    default: // & or |
        if (next != first) {
            error = {c.column, std::string(2, first) + " was expected"};
            return false;
        }
        token.kind = first == '&' ? Kind::And : Kind::Or;
    }
    c.advance(first == '=' || first == '&' || first == '|' ? 2 : length);
    return true;
}

// A text in double quotes, \" and \\ inside.
bool readText(Cursor& c, Token& token, FilterError& error) {
    token.kind = Kind::Text;
    c.advance(1);
    while (c.at() != '"') {
        if (c.done()) {
            error = {c.column, "a \" closing the text begun at column " +
                                   std::to_string(token.column) + " was expected"};
            return false;
        }
        if (c.at() == '\\' && (c.at(1) == '"' || c.at(1) == '\\'))
            c.advance(1);
        token.text += c.at();
        c.advance(1);
    }
    c.advance(1);
    return true;
}

} // namespace

bool FilterLexer::tokenize(std::string_view expression, std::vector<Token>& tokens,
                           FilterError& error) {
    tokens.clear();
    Cursor c{expression};
    if (expression.size() > kMaxLength) {
        c.advance(kMaxLength);
        error = {c.column, "the end of the expression was expected: it is longer than " +
                               std::to_string(kMaxLength) + " characters"};
        return false;
    }
    while (!c.done()) {
        if (isBlank(c.at())) {
            c.advance(1);
            continue;
        }
        Token token;
        token.column = c.column;
        if (c.at() == '"') {
            if (!readText(c, token, error))
                return false;
        } else if (isSign(c.at())) {
            if (!readSign(c, token, error))
                return false;
        } else {
            token.kind = Kind::Word;
            const std::size_t from = c.i;
            while (!c.done() && !isBlank(c.at()) && !isSign(c.at()))
                c.advance(1);
            token.text.assign(expression.substr(from, c.i - from));
        }
        tokens.push_back(std::move(token));
    }
    Token end;
    end.column = c.column;
    tokens.push_back(std::move(end));
    return true;
}

} // namespace qm
