#pragma once

#include "core/common/ProgressControl.h"
#include "core/common/RecordLine.h"
#include "core/filetree/NodeText.h"
#include "core/io/SequentialFile.h"

#include <cstdint>
#include <string_view>

namespace qm {

// One reading of a whole claim file for its tree, from its first byte: the
// records that are nodes (AA0, BA0, CA0) and the trailer lines (YA0, ZA0),
// in file order. BuildTree keeps them in a FileTree; a listing of the tree
// hands them on as they come, without keeping them.
class TreeScan {
public:
    // Calls node(position, fields) for every node's record and
    // trailer(typeLetter, lineStart) for every YA0 or ZA0 line; reports the
    // bytes read in control when given one. False when control.cancel was
    // set before the end. The read position is left where reading stopped.
    template <typename Node, typename Trailer>
    static bool run(SequentialFile& file, ProgressControl* control, Node&& node, Trailer&& trailer);

private:
    // How often, in bytes read, a scan tells its progress and looks for a cancel.
    static constexpr std::int64_t kReportEvery = std::int64_t(1) << 20;
};

template <typename Node, typename Trailer>
bool TreeScan::run(SequentialFile& file, ProgressControl* control, Node&& node, Trailer&& trailer) {
    if (control)
        control->bytesTotal.store(file.size(), std::memory_order_relaxed);
    std::int64_t nextReport = kReportEvery;
    bool cancelled = false;
    file.seek(1);
    file.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        if (control && lineStart >= nextReport) {
            control->bytesDone.store(lineStart - 1, std::memory_order_relaxed);
            if (control->cancel.load(std::memory_order_relaxed)) {
                cancelled = true;
                return false;
            }
            nextReport = lineStart + kReportEvery;
        }
        std::int64_t position = lineStart;
        if (!takeRecordLine(line, position) || line[1] != 'A' || line[2] != '0')
            return true; // none of AA0, BA0, CA0, YA0, ZA0
        switch (line[0]) {
        case 'A':
        case 'B':
        case 'C':
            // A batch before any file header becomes a root: nothing in the file is hidden.
            node(position, NodeText::fieldsOf(line[0], line));
            break;
        case 'Y':
        case 'Z':
            trailer(line[0], lineStart);
            break;
        default:
            break;
        }
        return true;
    });
    if (control)
        control->bytesDone.store(file.position() - 1, std::memory_order_relaxed);
    return !cancelled;
}

} // namespace qm
