#include "core/report/JsonShape.h"

#include <utility>

namespace qm {

JsonShape::JsonShape(std::initializer_list<std::string_view> keys) {
    // Where each piece lies, made into views once the text is whole.
    std::vector<std::pair<std::size_t, std::size_t>> before, quoted;
    for (const std::string_view key : keys) {
        const std::size_t start = text_.size();
        if (start > 0)
            text_ += ',';
        const std::size_t quote = text_.size();
        // Keys are the program's own names, plain ASCII with nothing to escape.
        text_ += '"';
        text_ += key;
        text_ += '"';
        quoted.emplace_back(quote, text_.size() - quote);
        text_ += ':';
        before.emplace_back(start, text_.size() - start);
    }
    text_.append(kReadable, ' ');
    for (std::size_t i = 0; i < before.size(); ++i) {
        before_.push_back(std::string_view(text_).substr(before[i].first, before[i].second));
        quoted_.push_back(std::string_view(text_).substr(quoted[i].first, quoted[i].second));
    }
}

} // namespace qm
