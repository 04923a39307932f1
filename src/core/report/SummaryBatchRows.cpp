#include "core/report/SummaryBatchRows.h"

#include "core/report/JsonWriter.h"
#include "core/report/SummaryColumns.h"

namespace qm {

SummaryBatchRows::SummaryBatchRows(bool json)
    : json_(json)
    , out_(&spool_) {
}

void SummaryBatchRows::batch(const FileStatistics::Batch& batch) {
    if (!json_) {
        line_.clear();
        SummaryColumns::batchLine(line_, batch);
        out_ << line_;
        return;
    }
    out_ << (first_ ? "\n    " : ",\n    ");
    first_ = false;
    JsonWriter json(out_);
    SummaryColumns::batchObject(json, batch);
}

bool SummaryBatchRows::copyTo(std::ostream& out) {
    out_.flush();
    const bool kept = spool_.copyTo(out);
    if (json_ && !first_)
        out << "\n  ";
    return kept;
}

} // namespace qm
