#include "core/search/RegexProfile.h"

#include "core/common/FileText.h"
#include "core/search/PatternNfa.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace qm {

namespace {

using Bytes = PatternEnds::Bytes;
constexpr std::size_t kLongest = PatternEnds::kLongest;

// File bytes some characters stand for, and whether exactly those (so that
// the class can be turned into its opposite) or perhaps fewer.
struct CharSet {
    Bytes bytes;
    bool exact = true;

    static CharSet any() {
        CharSet set;
        set.bytes.set();
        set.exact = false;
        return set;
    }
};

bool isAsciiLetter(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// With case ignored: each ASCII letter with its other case. A character
// beyond ASCII, or a k or s (which the Kelvin sign and the long s fold to),
// may then match characters beyond ASCII that are not worked out here.
void fold(CharSet& set) {
    bool wide = set.bytes['k'] || set.bytes['K'] || set.bytes['s'] || set.bytes['S'];
    for (char32_t c = 'a'; c <= 'z'; ++c)
        if (set.bytes[c] || set.bytes[c - 32])
            set.bytes.set(c).set(c - 32);
    for (std::size_t b = 0x80; b < 256; ++b)
        wide = wide || set.bytes[b];
    if (wide) {
        for (std::size_t b = 0x80; b < 256; ++b)
            set.bytes.set(b);
        set.exact = false;
    }
}

// Reads a pattern RE2 compiled, as far as it follows the syntax known here,
// into pieces put together as the pattern does (PatternEnds, PatternNfa).
template <typename Piece> class Reader {
public:
    explicit Reader(std::u32string_view pattern)
        : p_(pattern) {
        // Flags are read for the whole pattern, not group by group: case
        // ignored anywhere is taken as ignored everywhere, which only lets
        // more characters through.
        for (std::size_t i = 0; i + 1 < p_.size(); ++i) {
            if (p_[i] != '(' || p_[i + 1] != '?')
                continue;
            for (std::size_t j = i + 2; j < p_.size() && (isAsciiLetter(p_[j]) || p_[j] == '-');
                 ++j) {
                fold_ = fold_ || p_[j] == 'i';
                multiLine_ = multiLine_ || p_[j] == 'm';
            }
        }
    }

    // Whether the pattern names multi-line mode itself: a value matched on
    // its own that holds a line feed then has a ^ and $ within it.
    bool multiLine() const { return multiLine_; }

    std::optional<Piece> whole() {
        const std::optional<Piece> s = alternation();
        if (!s || at_ != p_.size())
            return std::nullopt;
        return s;
    }

private:
    bool more() const { return at_ < p_.size(); }
    char32_t peek() const { return p_[at_]; }
    bool take(char32_t c) {
        if (!more() || peek() != c)
            return false;
        ++at_;
        return true;
    }

    std::optional<Piece> alternation() {
        std::optional<Piece> all = sequence();
        while (all && take('|')) {
            const std::optional<Piece> next = sequence();
            if (!next)
                return std::nullopt;
            all = Piece::either(*all, *next);
        }
        return all;
    }

    std::optional<Piece> sequence() {
        Piece all;
        while (more() && peek() != '|' && peek() != ')') {
            std::optional<Piece> item = atom();
            if (!item)
                return std::nullopt;
            while (item && more())
                if (!quantify(*item))
                    break;
            all = Piece::then(std::move(all), *item);
        }
        return all;
    }

    // A repetition after an item, if one follows: true when one did.
    bool quantify(Piece& item) {
        const char32_t c = peek();
        std::size_t least = 0, most = kLongest;
        if (c == '*' || c == '?') {
            most = c == '?' ? 1 : kLongest;
            ++at_;
        } else if (c == '+') {
            ++at_;
            least = 1;
        } else if (c == '{') {
            // {n}, {n,} or {n,m}; anything else is a literal brace.
            std::size_t i = at_ + 1;
            const std::optional<std::size_t> n = number(i);
            if (!n || i >= p_.size())
                return false;
            std::optional<std::size_t> m = n;
            if (p_[i] == ',') {
                ++i;
                m = i < p_.size() && p_[i] == '}' ? std::optional<std::size_t>(kLongest)
                                                  : number(i);
                if (!m)
                    return false;
            }
            if (i >= p_.size() || p_[i] != '}')
                return false;
            at_ = i + 1;
            least = *n;
            most = *m;
        } else {
            return false;
        }
        take('?'); // as few as may be: the same strings
        item = Piece::repeated(item, least, most);
        return true;
    }

    std::optional<std::size_t> number(std::size_t& i) const {
        std::size_t n = 0, digits = 0;
        for (; i < p_.size() && p_[i] >= '0' && p_[i] <= '9'; ++i, ++digits)
            n = std::min<std::size_t>(n * 10 + (p_[i] - '0'), kLongest);
        return digits ? std::optional<std::size_t>(n) : std::nullopt;
    }

    std::optional<Piece> atom() {
        const char32_t c = p_[at_++];
        switch (c) {
        case '(':
            return group();
        case '[':
            return charClass();
        case '.':
            return Piece::ofCharacters(CharSet::any().bytes);
        case '^':
            return Piece::anchor(true);
        case '$':
            return Piece::anchor(false);
        case '\\':
            return escape();
        default:
            return Piece::ofCharacters(literal(c).bytes);
        }
    }

    std::optional<Piece> group() {
        if (take('?')) {
            if (take('P') || (more() && peek() == '<')) {
                // A named group: (?P<name>...).
                const std::size_t end = p_.find('>', at_);
                if (end == std::u32string_view::npos)
                    return std::nullopt;
                at_ = end + 1;
            } else {
                // Flags (read before, for the whole pattern), for the rest
                // of this group or, before ':', for a group of their own.
                while (more() && (isAsciiLetter(peek()) || peek() == '-'))
                    ++at_;
                if (take(')'))
                    return Piece();
                if (!take(':'))
                    return std::nullopt;
            }
        }
        std::optional<Piece> inner = alternation();
        if (!inner || !take(')'))
            return std::nullopt;
        return inner;
    }

    // One character, as the file bytes that can stand for it.
    CharSet literal(char32_t c) const {
        CharSet set;
        if (fold_ && c >= 0x80)
            return CharSet::any(); // it may fold to an ASCII letter
        addRange(set, c, c);
        if (fold_)
            fold(set);
        return set;
    }

    static void addRange(CharSet& set, char32_t low, char32_t high) {
        const auto& codePoints = FileText::codePoints();
        for (std::size_t b = 0; b < 256; ++b)
            if (codePoints[b] >= low && codePoints[b] <= high)
                set.bytes.set(b);
    }

    // \d, \s, \w and their opposites; \pN and \p{Greek} as any character.
    static std::optional<CharSet> perlClass(char32_t c) {
        CharSet set;
        switch (c) {
        case 'd':
        case 'D':
            addRange(set, '0', '9');
            break;
        case 's':
        case 'S':
            for (const char32_t space : {U'\t', U'\n', U'\f', U'\r', U' '})
                addRange(set, space, space);
            break;
        case 'w':
        case 'W':
            addRange(set, '0', '9');
            addRange(set, 'A', 'Z');
            addRange(set, 'a', 'z');
            addRange(set, '_', '_');
            break;
        default:
            return std::nullopt;
        }
        if (c == 'D' || c == 'S' || c == 'W')
            set.bytes.flip();
        return set;
    }

    // \p and \P, their name a letter or in braces: any character.
    bool skipProperty() {
        if (!more())
            return false;
        if (take('{')) {
            const std::size_t end = p_.find('}', at_);
            if (end == std::u32string_view::npos)
                return false;
            at_ = end + 1;
        } else {
            ++at_;
        }
        return true;
    }

    // A character given by an escape (after the backslash): \x41, \x{263A},
    // \012, \n and the like, or an escaped punctuation mark.
    std::optional<char32_t> escapedCharacter(char32_t c) {
        switch (c) {
        case 'a':
            return U'\a';
        case 'f':
            return U'\f';
        case 'n':
            return U'\n';
        case 'r':
            return U'\r';
        case 't':
            return U'\t';
        case 'v':
            return U'\v';
        case 'x':
            return hex();
        default:
            break;
        }
        if (c >= '0' && c <= '7') {
            // Octal, up to three digits; one digit other than 0 would be a
            // back-reference, which RE2 refuses.
            if (c != '0' && (!more() || peek() < '0' || peek() > '7'))
                return std::nullopt;
            char32_t code = c - '0';
            for (int k = 0; k < 2 && more() && peek() >= '0' && peek() <= '7'; ++k)
                code = code * 8 + (p_[at_++] - '0');
            return code;
        }
        if (c < 0x80 && !isAsciiLetter(c) && !(c >= '0' && c <= '9'))
            return c;
        return std::nullopt;
    }

    std::optional<char32_t> hex() {
        auto digit = [](char32_t h) -> int {
            if (h >= '0' && h <= '9')
                return int(h - '0');
            if (h >= 'a' && h <= 'f')
                return int(h - 'a' + 10);
            if (h >= 'A' && h <= 'F')
                return int(h - 'A' + 10);
            return -1;
        };
        char32_t code = 0;
        if (take('{')) {
            std::size_t digits = 0;
            for (; more() && digit(peek()) >= 0; ++at_, ++digits)
                code = std::min<char32_t>(code * 16 + char32_t(digit(peek())), 0x110000);
            if (!digits || !take('}'))
                return std::nullopt;
            return code;
        }
        for (int k = 0; k < 2; ++k, ++at_) {
            if (!more() || digit(peek()) < 0)
                return std::nullopt;
            code = code * 16 + char32_t(digit(peek()));
        }
        return code;
    }

    std::optional<Piece> escape() {
        if (!more())
            return std::nullopt;
        const char32_t c = p_[at_++];
        switch (c) {
        case 'A':
            return Piece::anchor(true);
        case 'z':
            return Piece::anchor(false);
        case 'b':
        case 'B':
            return Piece();
        case 'p':
        case 'P':
            if (!skipProperty())
                return std::nullopt;
            return Piece::ofCharacters(CharSet::any().bytes);
        case 'Q': {
            // Literal text up to \E or the end.
            Piece all;
            for (; more() && !(peek() == '\\' && at_ + 1 < p_.size() && p_[at_ + 1] == 'E'); ++at_)
                all = Piece::then(std::move(all), Piece::ofCharacters(literal(peek()).bytes));
            if (more())
                at_ += 2;
            return all;
        }
        default:
            break;
        }
        if (std::optional<CharSet> set = perlClass(c)) {
            if (fold_)
                fold(*set);
            return Piece::ofCharacters(set->bytes);
        }
        const std::optional<char32_t> code = escapedCharacter(c);
        if (!code)
            return std::nullopt;
        return Piece::ofCharacters(literal(*code).bytes);
    }

    // [abc], [^a-z], [[:alpha:]], [\d\s]: after the [.
    std::optional<Piece> charClass() {
        const bool negated = take('^');
        CharSet set;
        bool first = true;
        while (more() && (first || peek() != ']')) {
            first = false;
            if (peek() == '[' && at_ + 1 < p_.size() && p_[at_ + 1] == ':') {
                if (!posixClass(set))
                    return std::nullopt;
                continue;
            }
            std::optional<char32_t> low;
            if (take('\\')) {
                if (!more())
                    return std::nullopt;
                const char32_t c = p_[at_++];
                if (c == 'p' || c == 'P') {
                    if (!skipProperty())
                        return std::nullopt;
                    set = CharSet::any();
                    continue;
                }
                if (std::optional<CharSet> perl = perlClass(c)) {
                    set.bytes |= perl->bytes;
                    continue;
                }
                low = escapedCharacter(c);
                if (!low)
                    return std::nullopt;
            } else {
                low = p_[at_++];
            }
            char32_t high = *low;
            if (at_ + 1 < p_.size() && peek() == '-' && p_[at_ + 1] != ']') {
                ++at_;
                if (take('\\')) {
                    if (!more())
                        return std::nullopt;
                    const std::optional<char32_t> end = escapedCharacter(p_[at_++]);
                    if (!end)
                        return std::nullopt;
                    high = *end;
                } else {
                    high = p_[at_++];
                }
            }
            if (fold_ && high >= 0x80)
                set = CharSet::any(); // beyond ASCII, it may fold to a letter
            else
                addRange(set, *low, high);
        }
        if (!take(']'))
            return std::nullopt;
        if (fold_)
            fold(set);
        if (negated) {
            if (!set.exact)
                return Piece::ofCharacters(CharSet::any().bytes);
            set.bytes.flip();
        }
        return Piece::ofCharacters(set.bytes);
    }

    // [:alpha:] and [:^alpha:], at the [.
    bool posixClass(CharSet& set) {
        const std::size_t end = p_.find(U":]", at_ + 2);
        if (end == std::u32string_view::npos)
            return false;
        std::u32string_view name = p_.substr(at_ + 2, end - at_ - 2);
        at_ = end + 2;
        const bool negated = !name.empty() && name.front() == '^';
        if (negated)
            name.remove_prefix(1);
        Bytes bytes;
        for (std::size_t b = 0; b < 0x80; ++b) {
            const auto c = static_cast<char32_t>(b);
            const bool alpha = isAsciiLetter(c), digit = c >= '0' && c <= '9';
            const bool graph = c > 0x20 && c < 0x7F;
            const bool in = name == U"alnum"   ? alpha || digit
                            : name == U"alpha" ? alpha
                            : name == U"ascii" ? true
                            : name == U"blank" ? c == ' ' || c == '\t'
                            : name == U"cntrl" ? c < 0x20 || c == 0x7F
                            : name == U"digit" ? digit
                            : name == U"graph" ? graph
                            : name == U"lower" ? c >= 'a' && c <= 'z'
                            : name == U"print" ? graph || c == ' '
                            : name == U"punct" ? graph && !alpha && !digit
                            : name == U"space" ? c == ' ' || (c >= '\t' && c <= '\r')
                            : name == U"upper" ? c >= 'A' && c <= 'Z'
                            : name == U"word"  ? alpha || digit || c == '_'
                            : name == U"xdigit"
                                ? digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')
                                : false;
            bytes[b] = in;
        }
        static const std::u32string_view kNames[] = {
            U"alnum", U"alpha", U"ascii", U"blank", U"cntrl", U"digit", U"graph",
            U"lower", U"print", U"punct", U"space", U"upper", U"word",  U"xdigit"};
        if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames))
            return false;
        if (negated)
            bytes.flip();
        set.bytes |= bytes;
        return true;
    }

    std::u32string_view p_;
    std::size_t at_ = 0;
    bool fold_ = false;
    bool multiLine_ = false;
};

} // namespace

RegexProfile::RegexProfile(std::u32string_view pattern) {
    Reader<PatternEnds> reader(pattern);
    const std::optional<PatternEnds> s = reader.whole();
    // A pattern that matches no character matches every value.
    if (!s || s->minLength == 0)
        return;
    first_ = s->first;
    last_ = s->last;
    minLength_ = s->minLength;
    maxLength_ = s->maxLength;
    startAnchored_ = s->startAnchored && !reader.multiLine();
    endAnchored_ = s->endAnchored && !reader.multiLine();
    filters_ = true;
    // The whole pattern as an automaton: a value whose ends pass is read
    // through once more, byte by byte, before RE2 is asked.
    Reader<PatternNfa> pieces(pattern);
    if (const std::optional<PatternNfa> nfa = pieces.whole()) {
        auto dfa = std::make_shared<const PatternDfa>(*nfa, reader.multiLine());
        if (dfa->usable())
            dfa_ = std::move(dfa);
    }
}

} // namespace qm
