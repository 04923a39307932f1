#include "core/search/PatternDfa.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

namespace qm {

namespace {

// Nodes visited while the states are found, at most: a pattern that would
// take more to make is matched by RE2 alone.
constexpr std::size_t kMostWork = std::size_t(40) << 20;

using Kind = PatternNfa::Kind;

} // namespace

PatternDfa::PatternDfa(const PatternNfa& whole, bool anchorsTakeNoPart)
    : anchorsTakeNoPart_(anchorsTakeNoPart) {
    if (whole.tooLarge)
        return;
    nodes_ = whole.nodes;
    nodes_[std::size_t(whole.exit)].out = static_cast<int>(nodes_.size());
    nodes_.push_back({Kind::Match, -1, -1, PatternNfa::Bytes()});
    if (!build()) {
        next_.clear();
        flags_.clear();
    }
    nodes_.clear();
    nodes_.shrink_to_fit();
}

void PatternDfa::makeClasses() {
    classOf_.fill(0);
    classes_ = 1;
    for (const PatternNfa::Node& node : nodes_) {
        if (node.kind != Kind::Byte)
            continue;
        std::array<int, 512> renamed;
        renamed.fill(-1);
        std::size_t count = 0;
        for (std::size_t b = 0; b < 256; ++b) {
            int& to = renamed[std::size_t(classOf_[b]) * 2 + node.bytes[b]];
            if (to < 0)
                to = static_cast<int>(count++);
            classOf_[b] = static_cast<std::uint8_t>(to);
        }
        classes_ = count;
    }
}

void PatternDfa::close(std::vector<int>& from, bool atStart, std::vector<int>& bytes,
                       std::uint8_t& flags) const {
    std::vector<char> seen(nodes_.size());
    std::vector<int> ends; // past a $, reached only at the value's end
    bytes.clear();
    flags = 0;
    auto walk = [&](std::vector<int>& stack, bool atEnd) {
        while (!stack.empty()) {
            const int n = stack.back();
            stack.pop_back();
            if (n < 0 || seen[std::size_t(n)])
                continue;
            seen[std::size_t(n)] = 1;
            const PatternNfa::Node& node = nodes_[std::size_t(n)];
            switch (node.kind) {
            case Kind::Byte:
                if (!atEnd)
                    bytes.push_back(n);
                break;
            case Kind::Split:
                stack.push_back(node.out);
                stack.push_back(node.out2);
                break;
            case Kind::Empty:
                stack.push_back(node.out);
                break;
            case Kind::Start:
                if (atStart || anchorsTakeNoPart_)
                    stack.push_back(node.out);
                break;
            case Kind::End:
                if (atEnd || anchorsTakeNoPart_)
                    stack.push_back(node.out);
                else
                    ends.push_back(node.out);
                break;
            case Kind::Match:
                flags |= atEnd ? kMatchedAtEnd : kMatched;
                break;
            }
        }
    };
    walk(from, false);
    walk(ends, true);
    std::sort(bytes.begin(), bytes.end());
}

bool PatternDfa::build() {
    makeClasses();
    std::array<int, 256> sample{};
    for (int b = 255; b >= 0; --b)
        sample[classOf_[std::size_t(b)]] = b;
    using Key = std::pair<std::vector<int>, std::uint8_t>;
    std::map<Key, std::uint32_t> ids;
    std::vector<Key> states;
    auto idOf = [&](Key&& key) {
        const auto found = ids.find(key);
        if (found != ids.end())
            return found->second;
        const auto id = static_cast<std::uint32_t>(states.size());
        ids.emplace(key, id);
        states.push_back(std::move(key));
        return id;
    };
    // A match may begin at any byte: the entry's closure joins every state after the first.
    std::vector<int> stack{0}, restart, bytes;
    std::uint8_t restartFlags = 0, flags = 0;
    close(stack, false, restart, restartFlags);
    stack = {0};
    close(stack, true, bytes, flags);
    start_ = idOf({bytes, flags});
    std::size_t work = 0;
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (states.size() > kMostStates || work > kMostWork)
            return false;
        next_.resize((i + 1) * classes_, std::uint32_t(i));
        if (states[i].second & kMatched)
            continue; // told at once: nothing after it is read
        for (std::size_t c = 0; c < classes_; ++c) {
            stack.clear();
            for (const int n : states[i].first)
                if (nodes_[std::size_t(n)].bytes[std::size_t(sample[c])])
                    stack.push_back(nodes_[std::size_t(n)].out);
            close(stack, false, bytes, flags);
            work += nodes_.size();
            std::vector<int> joined;
            std::set_union(bytes.begin(), bytes.end(), restart.begin(), restart.end(),
                           std::back_inserter(joined));
            next_[i * classes_ + c] = idOf({std::move(joined), std::uint8_t(flags | restartFlags)});
        }
    }
    flags_.resize(states.size());
    for (std::size_t i = 0; i < states.size(); ++i) {
        flags_[i] = states[i].second;
        const auto* row = &next_[i * classes_];
        if (!(flags_[i] & (kMatched | kMatchedAtEnd)) &&
            std::all_of(row, row + classes_, [i](std::uint32_t to) { return to == i; }))
            flags_[i] |= kDead;
    }
    for (std::size_t b = 0; b < 256; ++b)
        begins_[b] = !(flags_[next_[start_ * classes_ + classOf_[b]]] & kDead);
    return true;
}

} // namespace qm
