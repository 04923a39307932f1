#include "gui/lines/LineSearch.h"

#include "core/common/ProgressControl.h"
#include "core/lines/LineIndex.h"
#include "gui/common/CoreText.h"

#include <QList>
#include <algorithm>
#include <cctype>

namespace {

// Lines read between looks at the cancel flag, and the stretch a backward
// search reads forward at a time.
constexpr std::int64_t kStretch = 4096;

char lower(char c) {
    return char(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

bool LineSearch::set(const QString& text, bool expression, QString& error) {
    expression_ = expression;
    folded_.clear();
    if (text.isEmpty()) {
        error = QStringLiteral("Type what to find.");
        return false;
    }
    if (expression) {
        const QList<uint> characters = text.toUcs4();
        const std::u32string pattern(characters.begin(), characters.end());
        std::string why;
        if (!regex_.compile(pattern, why)) {
            error = CoreText::fromUtf8(why);
            return false;
        }
        return true;
    }
    folded_ = CoreText::toFileBytes(text);
    std::transform(folded_.begin(), folded_.end(), folded_.begin(), lower);
    return true;
}

bool LineSearch::matches(std::string_view line) const {
    std::size_t start = 0;
    std::size_t length = 0;
    return matchAt(line, start, length);
}

bool LineSearch::matchAt(std::string_view line, std::size_t& start, std::size_t& length) const {
    if (expression_)
        return regex_.search(line, start, length);
    const auto at = std::search(line.begin(), line.end(), folded_.begin(), folded_.end(),
                                [](char a, char b) { return lower(a) == b; });
    if (at == line.end())
        return false;
    start = std::size_t(at - line.begin());
    length = folded_.size();
    return true;
}

std::int64_t LineSearch::find(const qm::LineIndex& index, std::int64_t from, bool backward,
                              qm::ProgressControl& control) const {
    control.bytesTotal = std::max<std::int64_t>(index.size(), 1);
    control.bytesDone = 0;
    return backward ? this->backward(index, from, control) : forward(index, from, control);
}

std::int64_t LineSearch::forward(const qm::LineIndex& index, std::int64_t from,
                                 qm::ProgressControl& control) const {
    std::int64_t found = 0;
    std::int64_t startPosition = -1;
    std::int64_t seen = 0;
    bool cancelled = false;
    index.forEach(from + 1, index.lineCount(), [&](const qm::LineIndex::Line& line) {
        if (startPosition < 0)
            startPosition = line.position;
        if (++seen % kStretch == 0) {
            control.bytesDone = line.position - startPosition;
            if (control.cancel) {
                cancelled = true;
                return false;
            }
        }
        if (!matches(line.bytes))
            return true;
        found = line.number;
        return false;
    });
    return cancelled ? -1 : found;
}

std::int64_t LineSearch::backward(const qm::LineIndex& index, std::int64_t from,
                                  qm::ProgressControl& control) const {
    const std::int64_t end = std::min(from, index.lineCount() + 1);
    std::int64_t endPosition = -1;
    // A stretch at a time, each read forward, the last match in it kept.
    for (std::int64_t last = end - 1; last >= 1; last -= kStretch) {
        const std::int64_t first = std::max<std::int64_t>(1, last - kStretch + 1);
        std::int64_t found = 0;
        std::int64_t firstPosition = 0;
        index.forEach(first, last - first + 1, [&](const qm::LineIndex::Line& line) {
            if (line.number == first)
                firstPosition = line.position;
            endPosition = std::max(endPosition, line.position);
            if (matches(line.bytes))
                found = line.number;
            return true;
        });
        if (found > 0)
            return found;
        if (endPosition >= 0)
            control.bytesDone = std::max<std::int64_t>(0, endPosition - firstPosition);
        if (control.cancel)
            return -1;
    }
    return 0;
}
