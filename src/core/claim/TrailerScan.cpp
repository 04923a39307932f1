#include "core/claim/TrailerScan.h"

#include "core/common/RecordLine.h"

namespace qm {

TrailerScan::Step TrailerScan::next(std::string_view& line) {
    if (!takeRecordLine(line))
        return Step::Pass;
    const std::string_view type = line.substr(0, 3);
    if (type == "YA0" && !batchTrailerTaken_) {
        batchTrailerTaken_ = true;
        return Step::BatchTrailer;
    }
    return type == "ZA0" ? Step::FileTrailer : Step::Pass;
}

} // namespace qm
