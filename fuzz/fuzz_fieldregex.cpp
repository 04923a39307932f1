// Regular expressions over a record's values: a pattern, then the values,
// any bytes at all. A record's values go to RE2 together, one a line, after
// whole-record tests, or (a pattern held to a value's start) are cut from the
// record and told by the pattern's automaton first; both must find exactly
// what matching them one by one finds, and never pass over a record that
// holds a match.
#include "core/search/SearchQuery.h"
#include "core/search/ValueMatcher.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The pattern up to the first NUL byte, then values separated by 0x01.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t end = input.find('\0');
    if (end == std::string_view::npos)
        return 0;
    qm::SearchQuery query;
    query.mode = qm::SearchQuery::Mode::Regex;
    query.text = std::string(input.substr(0, end));
    qm::ValueMatcher matcher;
    std::string error;
    if (!matcher.prepare(query, error))
        return 0;
    std::vector<std::string_view> values;
    std::string line;
    std::vector<qm::FieldColumns> columns; // each value's place in line
    for (std::size_t at = end + 1; at <= input.size();) {
        const std::size_t next = std::min(input.find('\x01', at), input.size());
        values.push_back(input.substr(at, next - at));
        columns.push_back({static_cast<std::int16_t>(line.size() + 1),
                           static_cast<std::int16_t>(values.back().size())});
        line.append(values.back()).push_back(' ');
        at = next + 1;
    }
    std::vector<qm::ValueMatch> one, together, cut;
    for (std::size_t k = 0; k < values.size(); ++k) {
        std::size_t start = 0, length = 0;
        if (matcher.matches(values[k], start, length)) {
            if (start + length > values[k].size())
                std::abort();
            one.push_back({k, start, length});
        }
    }
    auto sameAsOne = [&one](const std::vector<qm::ValueMatch>& found) {
        if (found.size() != one.size())
            std::abort();
        for (std::size_t i = 0; i < one.size(); ++i)
            if (found[i].value != one[i].value || found[i].start != one[i].start ||
                found[i].length != one[i].length)
                std::abort();
    };
    matcher.matchEach(values, together);
    sameAsOne(together);
    // Columns count to 32,767: a longer input is matched together only.
    if (matcher.readsColumns() && line.size() <= 32767) {
        matcher.matchColumns(line, columns, line.size(), cut);
        sameAsOne(cut);
    }
    if (!one.empty() && !matcher.mayMatchWithin(line))
        std::abort();
    return 0;
}
