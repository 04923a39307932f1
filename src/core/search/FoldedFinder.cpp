#include "core/search/FoldedFinder.h"

#include "core/common/FileText.h"
#include "core/search/CaseFold.h"

#include <array>
#include <cstring>

namespace qm {

namespace {

// Every byte's character in upper case.
const std::array<char32_t, 256>& upperOfBytes() {
    static const std::array<char32_t, 256> table = [] {
        std::array<char32_t, 256> upper{};
        for (std::size_t b = 0; b < 256; ++b)
            upper[b] = CaseFold::upper(FileText::codePoints()[b]);
        return upper;
    }();
    return table;
}

} // namespace

bool FoldedFinder::prepare(std::u32string_view text) {
    needle_.clear();
    heads_.clear();
    for (const char32_t c : text)
        needle_.push_back(CaseFold::upper(c));
    const auto& upper = upperOfBytes();
    for (std::size_t b = 0; b < 256 && !needle_.empty(); ++b)
        if (upper[b] == needle_[0])
            heads_.push_back(static_cast<char>(b));
    return !heads_.empty();
}

std::size_t FoldedFinder::find(std::string_view text) const {
    const std::size_t n = needle_.size();
    if (text.size() < n || heads_.empty())
        return std::string_view::npos;
    const auto& upper = upperOfBytes();
    const std::size_t starts = text.size() - n + 1;
    std::size_t best = std::string_view::npos;
    for (const char head : heads_) {
        const char* const begin = text.data();
        for (const char* at = begin; (at = static_cast<const char*>(
                                          std::memchr(at, head, starts - std::size_t(at - begin))));
             ++at) {
            const std::size_t i = std::size_t(at - begin);
            if (i >= best)
                break;
            std::size_t k = 1;
            while (k < n && upper[static_cast<unsigned char>(text[i + k])] == needle_[k])
                ++k;
            if (k == n) {
                best = i;
                break;
            }
        }
    }
    return best;
}

} // namespace qm
