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
    for (std::size_t i = 0; i < text.size();) {
        char32_t code;
        if (const std::size_t length = FileText::utf8At(text, i, code)) {
            out.push_back(code);
            i += length;
        } else {
            // Not UTF-8: the byte as the file text rule reads it.
            out.push_back(FileText::codePoint(text[i]));
            ++i;
        }
    }
    return out;
}

} // namespace qm
