#include "core/search/SearchQuery.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"

#include <climits>
#include <optional>

namespace qm {

namespace {

std::optional<std::int64_t> wholeNumber(std::string_view text) {
    return parseSignedInteger(text, INT64_MIN, INT64_MAX);
}

} // namespace

bool SearchQuery::setComparison(std::string_view expression, std::string& error) {
    const std::string_view t = trimSpaces(expression);
    const std::size_t dots = t.find("..");
    std::optional<std::int64_t> first;
    if (dots != std::string_view::npos) {
        first = wholeNumber(t.substr(0, dots));
        const std::optional<std::int64_t> last = wholeNumber(t.substr(dots + 2));
        if (first && last) {
            compare = Compare::Between;
            number = *first;
            upTo = *last;
            if (upTo >= number)
                return true;
            error = "the range '" + std::string(t) + "' ends below its start";
            return false;
        }
        first.reset();
    } else if (!t.empty() && (t[0] == '=' || t[0] == '<' || t[0] == '>')) {
        first = wholeNumber(t.substr(1));
        compare = t[0] == '=' ? Compare::Equal : t[0] == '<' ? Compare::Less : Compare::Greater;
    } else {
        first = wholeNumber(t);
        compare = Compare::Equal;
    }
    if (first) {
        number = *first;
        return true;
    }
    error =
        "'" + std::string(t) + "' is no comparison: give =N, <N, >N, N..M or N, with whole numbers";
    return false;
}

std::u32string SearchQuery::characters() const {
    std::u32string out;
    const std::size_t n = text.size();
    auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = byte(i);
        const std::size_t extra = c < 0x80           ? 0
                                  : (c >> 5) == 0x6  ? 1
                                  : (c >> 4) == 0xE  ? 2
                                  : (c >> 3) == 0x1E ? 3
                                                     : 4;
        bool valid = extra < 4 && i + extra < n;
        char32_t code = extra == 0   ? c
                        : extra == 1 ? (c & 0x1F)
                        : extra == 2 ? (c & 0x0F)
                                     : (c & 0x07);
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            valid = (byte(i + k) >> 6) == 0x2;
            code = (code << 6) | (byte(i + k) & 0x3F);
        }
        if (valid) {
            out.push_back(code);
            i += extra + 1;
        } else {
            out.push_back(FileText::codePoint(text[i]));
            ++i;
        }
    }
    return out;
}

} // namespace qm
