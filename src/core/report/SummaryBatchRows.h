#pragma once

#include "core/check/FileStatistics.h"
#include "core/report/SpoolBuffer.h"

#include <ostream>
#include <string>

namespace qm {

// The batches of a file summary, each written as the whole-file check hands
// it on and kept until the report comes to them after its headline figures:
// in memory up to a few megabytes, beyond in a temporary file, so that a file
// of a million batches costs no memory for them.
class SummaryBatchRows : public FileStatistics::BatchSink {
public:
    explicit SummaryBatchRows(bool json);

    void batch(const FileStatistics::Batch& batch) override;
    // Writes the rows kept to out: text lines, or the elements of a JSON
    // array, each on a line of its own; false when they could not be read back.
    bool copyTo(std::ostream& out);

private:
    bool json_;
    SpoolBuffer spool_;
    std::ostream out_;
    std::string line_;
    bool first_ = true;
};

} // namespace qm
