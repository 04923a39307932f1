#include "core/search/PatternNfa.h"

#include <utility>

namespace qm {

PatternNfa PatternNfa::large() {
    PatternNfa nfa;
    nfa.tooLarge = true;
    return nfa;
}

int PatternNfa::append(std::vector<Node>& out, const PatternNfa& a) {
    const int offset = static_cast<int>(out.size());
    for (Node node : a.nodes) {
        if (node.out >= 0)
            node.out += offset;
        if (node.out2 >= 0)
            node.out2 += offset;
        out.push_back(node);
    }
    return offset;
}

PatternNfa PatternNfa::ofCharacters(const Bytes& bytes) {
    PatternNfa nfa;
    nfa.nodes[0] = {Kind::Byte, 1, -1, bytes};
    nfa.nodes.emplace_back();
    nfa.exit = 1;
    return nfa;
}

PatternNfa PatternNfa::anchor(bool start) {
    PatternNfa nfa;
    nfa.nodes[0] = {start ? Kind::Start : Kind::End, 1, -1, Bytes()};
    nfa.nodes.emplace_back();
    nfa.exit = 1;
    return nfa;
}

PatternNfa PatternNfa::then(PatternNfa a, const PatternNfa& b) {
    if (a.tooLarge || b.tooLarge || a.nodes.size() + b.nodes.size() > kMostNodes)
        return large();
    const int at = append(a.nodes, b);
    a.nodes[std::size_t(a.exit)].out = at;
    a.exit = at + b.exit;
    return a;
}

PatternNfa PatternNfa::either(const PatternNfa& a, const PatternNfa& b) {
    if (a.tooLarge || b.tooLarge || a.nodes.size() + b.nodes.size() + 2 > kMostNodes)
        return large();
    PatternNfa nfa;
    const int atA = append(nfa.nodes, a);
    const int atB = append(nfa.nodes, b);
    nfa.exit = static_cast<int>(nfa.nodes.size());
    nfa.nodes.emplace_back();
    nfa.nodes[0] = {Kind::Split, atA, atB, Bytes()};
    nfa.nodes[std::size_t(atA + a.exit)].out = nfa.exit;
    nfa.nodes[std::size_t(atB + b.exit)].out = nfa.exit;
    return nfa;
}

PatternNfa PatternNfa::repeated(const PatternNfa& a, std::size_t least, std::size_t most) {
    const bool unbounded = most >= PatternEnds::kLongest;
    const std::size_t copies = least + (unbounded ? 1 : most - least);
    if (a.tooLarge || copies * (a.nodes.size() + 2) > kMostNodes)
        return large();
    PatternNfa nfa;
    for (std::size_t i = 0; i < least; ++i)
        nfa = then(std::move(nfa), a);
    if (unbounded) {
        // A loop: on through a again, or out.
        PatternNfa loop;
        const int at = append(loop.nodes, a);
        loop.exit = static_cast<int>(loop.nodes.size());
        loop.nodes.emplace_back();
        loop.nodes[0] = {Kind::Split, at, loop.exit, Bytes()};
        loop.nodes[std::size_t(at + a.exit)].out = 0;
        return then(std::move(nfa), loop);
    }
    const PatternNfa optional = either(a, PatternNfa());
    for (std::size_t i = least; i < most; ++i)
        nfa = then(std::move(nfa), optional);
    return nfa;
}

} // namespace qm
