#include "core/search/PatternEnds.h"

#include <algorithm>

namespace qm {

namespace {

std::size_t sum(std::size_t a, std::size_t b) {
    return std::min(a + b, PatternEnds::kLongest);
}

// The characters at each place from the start of a then b: within a while
// a reaches that far, else within b after each length a can have.
PatternEnds::Places placesOf(const PatternEnds::Places& a, std::size_t aMin, std::size_t aMax,
                             const PatternEnds::Places& b) {
    PatternEnds::Places ends;
    for (std::size_t i = 0; i < PatternEnds::kPlaces; ++i) {
        if (aMax > i)
            ends[i] |= a[i];
        for (std::size_t length = aMin; length <= i && length <= aMax; ++length)
            ends[i] |= b[i - length];
    }
    return ends;
}

} // namespace

PatternEnds::Places PatternEnds::anyAt() {
    Places ends;
    for (Bytes& at : ends)
        at.set();
    return ends;
}

PatternEnds PatternEnds::ofCharacters(const Bytes& bytes) {
    PatternEnds s;
    s.first[0] = s.last[0] = bytes;
    s.minLength = s.maxLength = 1;
    s.zeroWidth = false;
    return s;
}

PatternEnds PatternEnds::anchor(bool start) {
    PatternEnds s;
    s.startAnchored = start;
    s.endAnchored = !start;
    return s;
}

PatternEnds PatternEnds::then(const PatternEnds& a, const PatternEnds& b) {
    PatternEnds s;
    s.first = placesOf(a.first, a.minLength, a.maxLength, b.first);
    s.last = placesOf(b.last, b.minLength, b.maxLength, a.last);
    s.minLength = sum(a.minLength, b.minLength);
    s.maxLength = sum(a.maxLength, b.maxLength);
    s.zeroWidth = a.zeroWidth && b.zeroWidth;
    s.startAnchored = a.startAnchored || (a.zeroWidth && b.startAnchored);
    s.endAnchored = b.endAnchored || (b.zeroWidth && a.endAnchored);
    return s;
}

PatternEnds PatternEnds::either(const PatternEnds& a, const PatternEnds& b) {
    PatternEnds s;
    for (std::size_t i = 0; i < kPlaces; ++i) {
        s.first[i] = a.first[i] | b.first[i];
        s.last[i] = a.last[i] | b.last[i];
    }
    s.minLength = std::min(a.minLength, b.minLength);
    s.maxLength = std::max(a.maxLength, b.maxLength);
    s.zeroWidth = a.zeroWidth && b.zeroWidth;
    s.startAnchored = a.startAnchored && b.startAnchored;
    s.endAnchored = a.endAnchored && b.endAnchored;
    return s;
}

PatternEnds PatternEnds::repeated(const PatternEnds& a, std::size_t least, std::size_t most) {
    if (most == 0)
        return PatternEnds();
    // The places near the ends lie within the first and last few copies.
    PatternEnds s;
    for (std::size_t k = 0; k < std::min(least, kPlaces); ++k)
        s = then(s, a);
    if (most > least) {
        // Any number of copies more: a place in them is a place at most as
        // far into one copy.
        PatternEnds more;
        for (std::size_t i = 0; i < kPlaces; ++i) {
            more.first[i] = more.last[i] = Bytes();
            for (std::size_t j = 0; j <= i; ++j) {
                more.first[i] |= a.first[j];
                more.last[i] |= a.last[j];
            }
        }
        more.maxLength =
            most == kLongest ? kLongest : std::min(kLongest, (most - least) * a.maxLength);
        more.zeroWidth = a.zeroWidth;
        s = then(s, more);
    }
    s.minLength = std::min(kLongest, least * a.minLength);
    s.maxLength = most == kLongest || a.maxLength == kLongest
                      ? kLongest
                      : std::min(kLongest, most * a.maxLength);
    s.zeroWidth = a.zeroWidth;
    s.startAnchored = a.startAnchored && least > 0;
    s.endAnchored = a.endAnchored && least > 0;
    return s;
}

} // namespace qm
