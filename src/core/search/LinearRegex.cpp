#include "core/search/LinearRegex.h"

#include "core/common/FileText.h"
#include "core/search/CaseFold.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qm {

namespace {

// Limits that keep a compiled pattern small whatever is typed.
constexpr int kMaxRepeat = 1000;
constexpr int kMaxDepth = 200;
constexpr std::size_t kMaxProgram = 20000;

// A character for a message: itself when it is ASCII, else its code point.
std::string describe(char32_t c) {
    if (c >= 0x20 && c < 0x7F)
        return std::string(1, char(c));
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
    return code;
}

} // namespace

// Reads a pattern into a tree of nodes, then writes the tree out as the
// machine's program.
class LinearRegex::Parser {
public:
    Parser(std::u32string_view pattern, LinearRegex& regex)
        : p_(pattern)
        , regex_(regex) {
        const auto& table = FileText::codePoints();
        for (std::size_t b = 0; b < 256; ++b)
            chars_[b] = table[b];
    }

    bool run(std::string& error) {
        if (p_.substr(0, 4) == U"(?i)") {
            ignoreCase_ = true;
            i_ = 4;
        }
        const int root = alternatives(0);
        if (error_.empty() && i_ < p_.size())
            fail("unmatched )");
        if (error_.empty()) {
            emit(root);
            push({Op::Match});
            regex_.required_ = requiredRun(root);
        }
        if (!error_.empty()) {
            error = error_;
            return false;
        }
        return true;
    }

private:
    struct Node {
        enum Kind { Empty, Set, Begin, End, Concat, Alternatives, Repeat } kind;
        explicit Node(Kind k, int s = -1)
            : kind(k)
            , set(s) {}
        int set;
        std::vector<int> children;
        int min = 0, max = 0; // Repeat; max -1: no limit
        bool greedy = true;
    };

    void fail(std::string message) {
        if (error_.empty())
            error_ = std::move(message);
    }
    bool more() const { return i_ < p_.size() && error_.empty(); }
    int add(Node node) {
        nodes_.push_back(std::move(node));
        return int(nodes_.size()) - 1;
    }
    int addSet(const std::bitset<256>& set) {
        regex_.sets_.push_back(set);
        return add(Node(Node::Set, int(regex_.sets_.size()) - 1));
    }

    // Whether byte b's character falls within [lo, hi], case ignored when asked.
    bool inRange(std::size_t b, char32_t lo, char32_t hi) const {
        const char32_t c = chars_[b];
        if (c >= lo && c <= hi)
            return true;
        if (!ignoreCase_)
            return false;
        const char32_t u = CaseFold::upper(c), l = CaseFold::lower(c);
        return (u >= lo && u <= hi) || (l >= lo && l <= hi);
    }
    void addRange(std::bitset<256>& set, char32_t lo, char32_t hi) const {
        for (std::size_t b = 0; b < 256; ++b)
            if (inRange(b, lo, hi))
                set.set(b);
    }
    // \d \w \s and their negations; false for another letter.
    bool addClassEscape(std::bitset<256>& set, char32_t c) const {
        std::bitset<256> named;
        switch (c) {
        case 'd':
        case 'D':
            for (std::size_t b = '0'; b <= '9'; ++b)
                named.set(b);
            break;
        case 'w':
        case 'W':
            for (std::size_t b = 0; b < 128; ++b)
                if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                    b == '_')
                    named.set(b);
            break;
        case 's':
        case 'S':
            for (const char b : {' ', '\t', '\n', '\r', '\f', '\v'})
                named.set(static_cast<unsigned char>(b));
            break;
        default:
            return false;
        }
        set |= (c == 'D' || c == 'W' || c == 'S') ? ~named : named;
        return true;
    }
    // The character an escape stands for, or 0 with an error.
    char32_t escapedChar(char32_t c) {
        switch (c) {
        case 't':
            return '\t';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        default:
            break;
        }
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            fail("unknown escape \\" + describe(c));
            return 0;
        }
        return c;
    }

    int alternatives(int depth) {
        if (depth > kMaxDepth) {
            fail("too deeply nested");
            return add(Node(Node::Empty));
        }
        Node alt(Node::Alternatives);
        alt.children.push_back(sequence(depth));
        while (more() && p_[i_] == '|') {
            ++i_;
            alt.children.push_back(sequence(depth));
        }
        return alt.children.size() == 1 ? alt.children[0] : add(std::move(alt));
    }

    int sequence(int depth) {
        Node seq(Node::Concat);
        while (more() && p_[i_] != '|' && p_[i_] != ')')
            seq.children.push_back(repeated(depth));
        return add(std::move(seq));
    }

    // {n}, {n,} or {n,m} at i_; false (nothing read) when what follows is no such thing.
    bool counts(int& min, int& max) {
        std::size_t j = i_ + 1;
        auto number = [&](int& out) {
            const std::size_t from = j;
            long value = 0;
            for (; j < p_.size() && p_[j] >= '0' && p_[j] <= '9'; ++j)
                if (value <= kMaxRepeat)
                    value = value * 10 + long(p_[j] - '0');
            out = int(std::min<long>(value, kMaxRepeat + 1));
            return j > from;
        };
        if (!number(min))
            return false;
        max = min;
        if (j < p_.size() && p_[j] == ',') {
            ++j;
            if (!number(max))
                max = -1;
        }
        if (j >= p_.size() || p_[j] != '}')
            return false;
        i_ = j + 1;
        if (min > kMaxRepeat || max > kMaxRepeat)
            fail("repetition above " + std::to_string(kMaxRepeat));
        else if (max >= 0 && max < min)
            fail("repetition {n,m} with m below n");
        return true;
    }

    int repeated(int depth) {
        const int atomNode = atom(depth);
        if (!more())
            return atomNode;
        Node rep(Node::Repeat);
        const char32_t q = p_[i_];
        if (q == '*' || q == '+' || q == '?') {
            ++i_;
            rep.min = q == '+' ? 1 : 0;
            rep.max = q == '?' ? 1 : -1;
        } else if (q != '{' || !counts(rep.min, rep.max)) {
            return atomNode;
        }
        if (more() && p_[i_] == '?') {
            rep.greedy = false;
            ++i_;
        }
        if (more() && (p_[i_] == '*' || p_[i_] == '+' || p_[i_] == '?'))
            fail("a repetition of a repetition");
        rep.children.push_back(atomNode);
        return add(std::move(rep));
    }

    int atom(int depth) {
        const char32_t c = p_[i_++];
        switch (c) {
        case '(': {
            if (p_.substr(i_, 2) == U"?:")
                i_ += 2;
            else if (i_ < p_.size() && p_[i_] == '?')
                fail("unknown group (?" + (i_ + 1 < p_.size() ? describe(p_[i_ + 1]) : "") + ")");
            const int inner = alternatives(depth + 1);
            if (error_.empty() && (i_ >= p_.size() || p_[i_] != ')'))
                fail("missing )");
            ++i_;
            return inner;
        }
        case '[':
            return charClass();
        case '.':
            return addSet(std::bitset<256>().set());
        case '^':
            return add(Node(Node::Begin));
        case '$':
            return add(Node(Node::End));
        case '*':
        case '+':
        case '?':
            fail(std::string("nothing to repeat before ") + char(c));
            return add(Node(Node::Empty));
        case '\\': {
            if (i_ >= p_.size()) {
                fail("\\ at the end of the pattern");
                return add(Node(Node::Empty));
            }
            std::bitset<256> set;
            if (addClassEscape(set, p_[i_])) {
                ++i_;
                return addSet(set);
            }
            return literal(escapedChar(p_[i_++]));
        }
        default:
            return literal(c);
        }
    }

    int literal(char32_t c) {
        std::bitset<256> set;
        addRange(set, c, c);
        return addSet(set);
    }

    int charClass() {
        std::bitset<256> set;
        const bool negated = i_ < p_.size() && p_[i_] == '^';
        if (negated)
            ++i_;
        bool first = true;
        for (;;) {
            if (i_ >= p_.size()) {
                fail("missing ]");
                return add(Node(Node::Empty));
            }
            char32_t lo = p_[i_++];
            if (lo == ']' && !first)
                break;
            first = false;
            if (lo == '\\') {
                if (i_ >= p_.size())
                    continue; // reported as a missing ]
                if (addClassEscape(set, p_[i_])) {
                    ++i_;
                    continue;
                }
                lo = escapedChar(p_[i_++]);
            }
            char32_t hi = lo;
            if (i_ + 1 < p_.size() && p_[i_] == '-' && p_[i_ + 1] != ']') {
                hi = p_[i_ + 1];
                i_ += 2;
                if (hi == '\\' && i_ < p_.size())
                    hi = escapedChar(p_[i_++]);
                if (hi < lo)
                    fail("range out of order in [...]");
            }
            addRange(set, lo, hi);
        }
        return addSet(negated ? ~set : set);
    }

    // The longest run of single characters in the pattern's top sequence:
    // every match holds them in this order, next to each other.
    std::vector<std::bitset<256>> requiredRun(int root) const {
        std::vector<std::bitset<256>> best, run;
        auto endRun = [&] {
            if (run.size() > best.size())
                best = run;
            run.clear();
        };
        const Node& top = nodes_[std::size_t(root)];
        for (const int child : top.kind == Node::Concat ? top.children : std::vector<int>{root}) {
            const Node& node = nodes_[std::size_t(child)];
            const Node* repeated = node.kind == Node::Repeat && node.min >= 1
                                       ? &nodes_[std::size_t(node.children[0])]
                                       : nullptr;
            if (node.kind == Node::Set) {
                run.push_back(regex_.sets_[std::size_t(node.set)]);
            } else if (node.kind == Node::Begin || node.kind == Node::End) {
                continue; // takes no character: the run goes on
            } else {
                // x+ or x{2,}: one x at least, then perhaps more before what follows.
                if (repeated && repeated->kind == Node::Set)
                    run.push_back(regex_.sets_[std::size_t(repeated->set)]);
                endRun();
            }
        }
        endRun();
        return best;
    }

    int push(Inst inst) {
        if (regex_.program_.size() >= kMaxProgram) {
            fail("the pattern is too large");
            return int(regex_.program_.size()) - 1;
        }
        regex_.program_.push_back(inst);
        return int(regex_.program_.size()) - 1;
    }
    int here() const { return int(regex_.program_.size()); }

    void emit(int index) {
        if (!error_.empty())
            return;
        const Node& node = nodes_[std::size_t(index)];
        switch (node.kind) {
        case Node::Empty:
            break;
        case Node::Set:
            push({Op::Byte, node.set});
            break;
        case Node::Begin:
            push({Op::Begin});
            break;
        case Node::End:
            push({Op::End});
            break;
        case Node::Concat:
            for (const int child : node.children)
                emit(child);
            break;
        case Node::Alternatives: {
            std::vector<int> jumps;
            for (std::size_t k = 0; k < node.children.size(); ++k) {
                const bool last = k + 1 == node.children.size();
                const int split = last ? -1 : push({Op::Split});
                if (split >= 0)
                    regex_.program_[std::size_t(split)].x = here();
                emit(node.children[k]);
                if (!last) {
                    jumps.push_back(push({Op::Jump}));
                    regex_.program_[std::size_t(split)].y = here();
                }
            }
            for (const int jump : jumps)
                regex_.program_[std::size_t(jump)].x = here();
            break;
        }
        case Node::Repeat:
            repeat(node);
            break;
        }
    }

    // A split that prefers the repeated part when greedy, the way out when lazy.
    int optionalSplit(bool greedy) {
        const int split = push({Op::Split});
        Inst& inst = regex_.program_[std::size_t(split)];
        (greedy ? inst.x : inst.y) = here();
        return split;
    }
    void exitTo(int split, bool greedy) {
        Inst& inst = regex_.program_[std::size_t(split)];
        (greedy ? inst.y : inst.x) = here();
    }

    void repeat(const Node& node) {
        const int child = node.children[0];
        for (int k = 0; k < node.min && error_.empty(); ++k)
            emit(child);
        if (node.max < 0) {
            const int split = optionalSplit(node.greedy);
            emit(child);
            push({Op::Jump, split});
            exitTo(split, node.greedy);
            return;
        }
        std::vector<int> splits;
        for (int k = node.min; k < node.max && error_.empty(); ++k) {
            splits.push_back(optionalSplit(node.greedy));
            emit(child);
        }
        for (const int split : splits)
            exitTo(split, node.greedy);
    }

    std::u32string_view p_;
    LinearRegex& regex_;
    std::size_t i_ = 0;
    bool ignoreCase_ = false;
    std::string error_;
    std::vector<Node> nodes_;
    char32_t chars_[256];
};

bool LinearRegex::compile(std::u32string_view pattern, std::string& error) {
    program_.clear();
    sets_.clear();
    Parser parser(pattern, *this);
    if (!parser.run(error)) {
        program_.clear();
        sets_.clear();
        return false;
    }
    mark_.assign(program_.size(), -1);
    steps_ = 0;
    findStarts();
    rarest_ = 0;
    for (std::size_t k = 1; k < required_.size(); ++k)
        if (required_[k].count() < required_[rarest_].count())
            rarest_ = k;
    rarestBytes_.clear();
    if (!required_.empty() && required_[rarest_].count() <= 3)
        for (std::size_t b = 0; b < 256; ++b)
            if (required_[rarest_][b])
                rarestBytes_.push_back(static_cast<char>(b));
    return true;
}

bool LinearRegex::mayMatchWithin(std::string_view text) const {
    const std::size_t k = required_.size();
    if (k == 0)
        return true;
    if (text.size() < k)
        return false;
    auto runAt = [&](std::size_t i) {
        std::size_t j = 0;
        while (j < k && required_[j][static_cast<unsigned char>(text[i + j])])
            ++j;
        return j == k;
    };
    const std::size_t last = text.size() - k; // the last place a run can start
    if (rarestBytes_.empty() && required_[rarest_].count() > 3) {
        for (std::size_t i = 0; i <= last; ++i)
            if (runAt(i))
                return true;
        return false;
    }
    // Where the rarest character is, the run may be.
    const char* const begin = text.data() + rarest_;
    const std::size_t span = last + 1;
    for (const char byte : rarestBytes_) {
        for (const char* at = begin;
             (at = static_cast<const char*>(std::memchr(at, byte, span - std::size_t(at - begin))));
             ++at)
            if (runAt(std::size_t(at - begin)))
                return true;
    }
    return false;
}

void LinearRegex::findStarts() {
    // What the program reaches from its start without taking a character,
    // once through the start of the text and once without it.
    auto reach = [this](bool throughBegin, bool& empty, std::bitset<256>& bytes) {
        std::vector<bool> seen(program_.size(), false);
        std::vector<int> stack{0};
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            if (seen[std::size_t(p)])
                continue;
            seen[std::size_t(p)] = true;
            const Inst& inst = program_[std::size_t(p)];
            switch (inst.op) {
            case Op::Split:
                stack.push_back(inst.y);
                stack.push_back(inst.x);
                break;
            case Op::Jump:
                stack.push_back(inst.x);
                break;
            case Op::Begin:
                if (throughBegin)
                    stack.push_back(p + 1);
                break;
            case Op::End:
                stack.push_back(p + 1);
                break;
            case Op::Byte:
                bytes |= sets_[std::size_t(inst.x)];
                break;
            case Op::Match:
                empty = true;
                break;
            }
        }
    };
    bool emptyWithout = false;
    std::bitset<256> bytesWithout;
    reach(false, emptyWithout, bytesWithout);
    anchored_ = !emptyWithout && bytesWithout.none();
    startsEmpty_ = false;
    firstBytes_.reset();
    reach(true, startsEmpty_, firstBytes_);
}

void LinearRegex::addThread(std::vector<Thread>& list, int pc, std::size_t start, std::size_t at,
                            std::size_t end, std::int64_t step) const {
    // Depth first, the preferred way first: the list keeps the threads in
    // the order of the pattern's preference.
    stack_.clear();
    stack_.push_back(pc);
    while (!stack_.empty()) {
        const int p = stack_.back();
        stack_.pop_back();
        if (mark_[std::size_t(p)] == step)
            continue;
        mark_[std::size_t(p)] = step;
        const Inst& inst = program_[std::size_t(p)];
        switch (inst.op) {
        case Op::Jump:
            stack_.push_back(inst.x);
            break;
        case Op::Split:
            stack_.push_back(inst.y);
            stack_.push_back(inst.x);
            break;
        case Op::Begin:
            if (at == 0)
                stack_.push_back(p + 1);
            break;
        case Op::End:
            if (at == end)
                stack_.push_back(p + 1);
            break;
        case Op::Byte:
        case Op::Match:
            list.push_back({p, start});
            break;
        }
    }
}

bool LinearRegex::search(std::string_view text, std::size_t& start, std::size_t& length) const {
    if (program_.empty())
        return false;
    const std::size_t n = text.size();
    // Marks of earlier searches are below every step of this one.
    const std::int64_t base = steps_;
    steps_ += std::int64_t(n) + 2;
    current_.clear();
    bool matched = false;
    for (std::size_t i = 0; i <= n; ++i) {
        // A match starting here comes after every one that started earlier.
        if (!matched && (i == 0 || !anchored_)) {
            if (current_.empty() && !startsEmpty_) {
                // Nothing under way: on to the next byte a match can start with.
                while (i < n && !firstBytes_[static_cast<unsigned char>(text[i])])
                    ++i;
                if (i == n)
                    break;
            }
            addThread(current_, 0, i, i, n, base + std::int64_t(i));
        }
        if (current_.empty()) {
            if (matched || anchored_)
                break;
            continue;
        }
        next_.clear();
        const unsigned char byte = i < n ? static_cast<unsigned char>(text[i]) : 0;
        for (const Thread& thread : current_) {
            const Inst& inst = program_[std::size_t(thread.pc)];
            if (inst.op == Op::Match) {
                matched = true;
                start = thread.start;
                length = i - thread.start;
                break; // the threads after it are less preferred
            }
            if (i < n && sets_[std::size_t(inst.x)][byte])
                addThread(next_, thread.pc + 1, thread.start, i + 1, n, base + std::int64_t(i) + 1);
        }
        current_.swap(next_);
    }
    return matched;
}

} // namespace qm
