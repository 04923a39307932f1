#include "core/search/ValueMatcher.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/search/CaseFold.h"

#include <climits>
#include <cstring>

namespace qm {

bool ValueMatcher::prepare(const SearchQuery& query, std::string& error) {
    mode_ = query.mode;
    compare_ = query.compare;
    number_ = query.number;
    upTo_ = query.upTo;
    impossible_ = false;
    const auto& chars = FileText::codePoints();
    for (std::size_t b = 0; b < 256; ++b)
        upper_[b] = CaseFold::upper(chars[b]);
    switch (mode_) {
    case SearchQuery::Mode::Contains:
        needle_.clear();
        heads_.clear();
        for (const char32_t c : query.characters())
            needle_.push_back(CaseFold::upper(c));
        if (needle_.empty()) {
            error = "no text to search for";
            return false;
        }
        for (std::size_t b = 0; b < 256; ++b)
            if (upper_[b] == needle_[0])
                heads_.push_back(static_cast<char>(b));
        impossible_ = heads_.empty();
        return true;
    case SearchQuery::Mode::Exact:
        bytes_.clear();
        for (const char32_t c : query.characters()) {
            std::size_t b = 0;
            while (b < 256 && chars[b] != c)
                ++b;
            impossible_ = impossible_ || b == 256;
            bytes_.push_back(static_cast<char>(b));
        }
        bytes_ = std::string(trimSpaces(bytes_));
        return true;
    case SearchQuery::Mode::Regex:
        if (regex_.compile(query.characters(), error))
            return true;
        error = "not a regular expression: " + error;
        return false;
    case SearchQuery::Mode::Number:
        return true;
    }
    return false;
}

std::size_t ValueMatcher::find(std::string_view text) const {
    const std::size_t n = needle_.size();
    if (text.size() < n)
        return std::string_view::npos;
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
            while (k < n && upper_[static_cast<unsigned char>(text[i + k])] == needle_[k])
                ++k;
            if (k == n) {
                best = i;
                break;
            }
        }
    }
    return best;
}

bool ValueMatcher::compares(std::int64_t value) const {
    switch (compare_) {
    case SearchQuery::Compare::Equal:
        return value == number_;
    case SearchQuery::Compare::Less:
        return value < number_;
    case SearchQuery::Compare::Greater:
        return value > number_;
    case SearchQuery::Compare::Between:
        return value >= number_ && value <= upTo_;
    }
    return false;
}

bool ValueMatcher::matches(std::string_view value, std::size_t& start, std::size_t& length) const {
    if (impossible_)
        return false;
    const std::string_view trimmed = trimSpaces(value);
    const std::size_t offset = std::size_t(trimmed.data() - value.data());
    switch (mode_) {
    case SearchQuery::Mode::Contains: {
        const std::size_t at = find(trimmed);
        if (at == std::string_view::npos)
            return false;
        start = offset + at;
        length = needle_.size();
        return true;
    }
    case SearchQuery::Mode::Exact:
        start = offset;
        length = trimmed.size();
        return trimmed == bytes_;
    case SearchQuery::Mode::Regex:
        if (!regex_.search(trimmed, start, length))
            return false;
        start += offset;
        return true;
    case SearchQuery::Mode::Number: {
        const auto number = parseSignedInteger(trimmed, INT64_MIN, INT64_MAX);
        start = offset;
        length = trimmed.size();
        return number && compares(*number);
    }
    }
    return false;
}

bool ValueMatcher::mayMatchWithin(std::string_view line) const {
    if (impossible_)
        return false;
    switch (mode_) {
    case SearchQuery::Mode::Contains:
        return find(line) != std::string_view::npos;
    case SearchQuery::Mode::Exact:
        return line.find(bytes_) != std::string_view::npos;
    case SearchQuery::Mode::Regex:
        return regex_.mayMatchWithin(line);
    case SearchQuery::Mode::Number:
        break;
    }
    return true;
}

} // namespace qm
