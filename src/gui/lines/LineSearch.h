#pragma once

#include "core/search/FieldRegex.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {
class LineIndex;
struct ProgressControl;
} // namespace qm

// Find in the raw lines: a text (case ignored) or an RE2 expression, looked
// for line by line from a line on, forward or back, reading the lines through
// the index. Made on the GUI thread, run on a worker (a copy each run: the
// expression keeps working space of its own).
class LineSearch {
public:
    // False, with the reason in error, for an empty text or a pattern that
    // is no expression.
    bool set(const QString& text, bool expression, QString& error);
    bool matches(std::string_view line) const;
    // The same, saying where the first match lies (bytes from the line's start).
    bool matchAt(std::string_view line, std::size_t& start, std::size_t& length) const;
    // The first line after `from` (backward: the last before it) that
    // matches; 0 for none; -1 when control.cancel was set.
    std::int64_t find(const qm::LineIndex& index, std::int64_t from, bool backward,
                      qm::ProgressControl& control) const;

private:
    std::int64_t forward(const qm::LineIndex& index, std::int64_t from,
                         qm::ProgressControl& control) const;
    std::int64_t backward(const qm::LineIndex& index, std::int64_t from,
                          qm::ProgressControl& control) const;

    bool expression_ = false;
    std::string folded_; // the text, lower case, in file bytes
    qm::FieldRegex regex_;
};
