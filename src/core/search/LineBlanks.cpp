#include "core/search/LineBlanks.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm {

void LineBlanks::read(std::string_view line, std::size_t reach) {
    const std::size_t n = reach < line.size() ? reach : line.size();
    words_.assign((n + 63) / 64 + 1, 0);
    const char* const p = line.data();
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes a compare, which sets a byte's bit where it is a blank;
    // a word of bits a step where the line is long enough.
    const __m128i blanks = _mm_set1_epi8(' ');
    auto blankBits = [p, blanks](std::size_t at) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        return std::uint64_t(
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, blanks))));
    };
    for (; i + 64 <= n; i += 64)
        words_[i >> 6] = ~(blankBits(i) | blankBits(i + 16) << 16 | blankBits(i + 32) << 32 |
                           blankBits(i + 48) << 48);
    for (; i + 16 <= n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const auto same =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, blanks)));
        words_[i >> 6] |= std::uint64_t(~same & 0xFFFFu) << (i & 63);
    }
#endif
    for (; i < n; ++i)
        if (p[i] != ' ')
            words_[i >> 6] |= std::uint64_t(1) << (i & 63);
}

} // namespace qm
