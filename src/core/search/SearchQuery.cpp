#include "core/search/SearchQuery.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"

#include <optional>

namespace qm {

bool SearchQuery::setComparison(std::string_view expression, std::string& error) {
    const std::string_view t = trimSpaces(expression);
    const std::size_t dots = t.find("..");
    std::optional<NumberText> first;
    if (dots != std::string_view::npos) {
        first = NumberText::parse(t.substr(0, dots));
        const std::optional<NumberText> last = NumberText::parse(t.substr(dots + 2));
        if (first && last) {
            compare = Compare::Between;
            number = *first;
            upTo = *last;
            const NumberText::Unit unit = ownUnit();
            const std::optional<std::int64_t> low = number.in(unit), high = upTo.in(unit);
            if (!low || !high) {
                error = "the range '" + std::string(t) +
                        "' runs from a date to a number: give a date at both ends or none";
                return false;
            }
            if (*high >= *low)
                return true;
            error = "the range '" + std::string(t) + "' ends below its start";
            return false;
        }
        first.reset();
    } else if (!t.empty() && (t[0] == '=' || t[0] == '<' || t[0] == '>')) {
        first = NumberText::parse(t.substr(1));
        compare = t[0] == '=' ? Compare::Equal : t[0] == '<' ? Compare::Less : Compare::Greater;
    } else {
        first = NumberText::parse(t);
        compare = Compare::Equal;
    }
    if (first) {
        number = *first;
        return true;
    }
    error = "'" + std::string(t) +
            "' is no comparison: give N, =N, <N, >N or N..M, where N is a whole number (160), "
            "an amount (160.00, $1,600.50) or a date (2024-03-15, 03/15/2024)";
    return false;
}

NumberText::Unit SearchQuery::ownUnit() const {
    if (compare != Compare::Between)
        return number.ownUnit();
    // A date at either end makes a range of dates; an amount, of amounts.
    const NumberText::Unit a = number.ownUnit(), b = upTo.ownUnit();
    if (a == NumberText::Unit::Date || b == NumberText::Unit::Date)
        return NumberText::Unit::Date;
    return a == NumberText::Unit::Cents || b == NumberText::Unit::Cents ? NumberText::Unit::Cents
                                                                        : NumberText::Unit::Whole;
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
