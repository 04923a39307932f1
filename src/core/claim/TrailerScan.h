#pragma once

#include <string_view>

namespace qm {

// After a claim: which lines are its batch trailer (the first YA0) and its
// file trailer (the first ZA0, which ends the scan).
class TrailerScan {
public:
    enum class Step { Pass, BatchTrailer, FileTrailer };

    // line as read; on return it holds the record (a leading LF dropped).
    Step next(std::string_view& line);

private:
    bool batchTrailerTaken_ = false;
};

} // namespace qm
